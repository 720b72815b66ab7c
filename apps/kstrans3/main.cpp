// kstrans3: the translator's window.
#include "ui/startup.h"

int main(int argc, char** argv) { return kst::ui::RunProgram(argc, argv); }
