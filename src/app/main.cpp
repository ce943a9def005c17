// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-utilities: the desktop program.
#include "app/frame/Application.h"

int main(int argc, char** argv) {
    return vantrel::app::RunDesktopProgram(argc, argv);
}
