// quelbir-cli tree FILE: prints the FORM and chunk index of an IFF file.
#include <iostream>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "iff/IffReader.h"
#include "iff/IffTreePrinter.h"
#include "runtime/FileLayer.h"

void AddTreeCommand(CLI::App& App) {
  auto FileName = std::make_shared<std::string>();
  CLI::App* Tree = App.add_subcommand("tree", "Print the FORM and chunk tree of an IFF file");
  Tree->add_option("FILE", *FileName, "The IFF file to index")->required();
  Tree->callback([FileName] {
    TIffReader Reader(*FileName, /*ReadOnly=*/true);
    PrintIffTree(Reader, std::cout);
    if (!std::cout.flush()) throw EInOutError("Cannot write the tree to standard output");
  });
}
