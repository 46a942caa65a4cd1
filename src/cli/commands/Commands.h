#pragma once

#include <memory>

namespace kvmt {

class CliCommand;

// The tool's commands, one file each.
std::unique_ptr<CliCommand> makeReadCommand();
std::unique_ptr<CliCommand> makeTestCommand();
std::unique_ptr<CliCommand> makeLoadCommand();
std::unique_ptr<CliCommand> makeSummaryCommand();
std::unique_ptr<CliCommand> makeSaveCommand();
std::unique_ptr<CliCommand> makeWriteCommand();
std::unique_ptr<CliCommand> makeDiffCommand();
std::unique_ptr<CliCommand> makeConsoleCommand();
std::unique_ptr<CliCommand> makeProvisionCommand();

} // namespace kvmt
