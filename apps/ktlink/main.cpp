// ktlink: the language-module linker. Takes the Delphi compiler's command
// line (ktlink -eOUTDIR -nUNITDIR LIBRARY.dpr) and writes the resource-only
// DLL; messages on stdout like a compiler's, in the OEM code page as the
// compiler's are (the caller converts them to ANSI). Exit 0 linked, 1 failed,
// 2 a command line it cannot use.
#include <iostream>
#include <string>
#include <vector>

#include "build/resource_linker.h"
#include "platform/codepage.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kst::TSystemCodePages system = kst::TSystemCodePages::FromEnvironment();
  auto print = [&](const std::string& ansi) {
    std::cout << kst::ConvertCodePage(ansi, system.ansi, system.oem) << "\n" << std::flush;
  };
  print("Kestrin Translator language-module linker");
  try {
    kst::TLinkerOptions options = kst::ParseLinkerArguments(args);
    kst::LinkLanguageModule(options, system.ansi, print);
    return 0;
  } catch (const std::invalid_argument& e) {
    print(e.what());
    return 2;
  } catch (const std::exception& e) {
    print(e.what());
    return 1;
  }
}
