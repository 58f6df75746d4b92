#include <cstdio>

int main() {
    std::puts("Varnick: the desktop windows are not built yet.");
    return 0;
}
