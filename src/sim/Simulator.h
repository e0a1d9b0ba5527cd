#pragma once

// The controller simulator (q7400-sim) is built on this library.
