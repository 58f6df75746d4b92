#include "ui/app/program.h"

int main(int, char* argv[]) {
    return varnick::ui::runProgram(argv[0]);
}
