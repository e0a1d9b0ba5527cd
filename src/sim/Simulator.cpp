#include "sim/Simulator.h"
