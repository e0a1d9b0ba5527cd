#include <cstdio>

int main() {
    std::fputs("q7400-sim: the controller simulator is not built yet\n", stderr);
    return 1;
}
