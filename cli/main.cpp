// quelbir-cli: the editor's operations from the command line, on the same code
// paths as the window.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "runtime/ErrorMessage.h"
#include "runtime/Exception.h"
#include "runtime/FloatErrors.h"

#ifndef QUELBIR_VERSION
#define QUELBIR_VERSION "0.0.0"
#endif

std::function<void()> NamingModelFile(const std::string& File, std::function<void()> Work) {
  return [&File, Work = std::move(Work)] {
    try {
      Work();
    } catch (const EOverflow& E) {
      throw EOverflow(File + ": " + E.Message());
    } catch (const EInvalidOp& E) {
      throw EInvalidOp(File + ": " + E.Message());
    } catch (const EZeroDivide& E) {
      throw EZeroDivide(File + ": " + E.Message());
    }
  };
}

int main(int argc, char** argv) {
  CLI::App App{"QUELBIR Editor command-line tool", "quelbir-cli"};
  App.set_version_flag("--version", std::string("quelbir-cli ") + QUELBIR_VERSION);
  App.require_subcommand(1);
  AddTreeCommand(App);
  AddSampleCommand(App);
  AddInfoCommand(App);
  AddSphereCommand(App);
  AddScriptCommand(App);
  AddRenderCommand(App);
  AddThumbnailCommand(App);
  AddCheckCommand(App);
  AddExportCommand(App);
  AddApplyCommand(App);
  AddImportCommand(App);
  AddLevelsCommand(App);
  AddTextureCommand(App);
  try {
    App.parse(argc, argv);
  } catch (const CLI::RequiredError& E) {
    // CLI11 finds the subcommand missing before it looks at the words it did
    // not understand; the first of those is the mistake to name.
    const std::vector<std::string> Unknown = App.remaining();
    if (!App.get_subcommands().empty() || Unknown.empty()) return App.exit(E) == 0 ? 0 : 2;
    if (Unknown.front().starts_with('-'))
      App.exit(CLI::ExtrasError(std::vector<std::string>{Unknown.front()}));
    else
      App.exit(CLI::ExtrasError("Unknown subcommand: " + Unknown.front(), CLI::ExitCodes::ExtrasError));
    return 2;
  } catch (const CLI::RuntimeError& E) {
    // A subcommand that has reported its outcome itself and only sets the
    // exit status.
    std::fflush(stdout);
    return E.get_exit_code();
  } catch (const CLI::ParseError& E) {
    // --help and --version end here too, with exit code 0.
    int Code = App.exit(E);
    return Code == 0 ? 0 : 2;
  } catch (const std::exception& E) {
    std::fflush(stdout);
    std::cerr << ErrorMessage(E) << '\n';
    return 1;
  }
  return 0;
}
