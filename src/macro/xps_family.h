#pragma once

namespace xyla {

class CommandTable;

// The parts of the XPS command family that live in files of their own.
void registerQuantCommands(CommandTable& t);
void registerSurveyCommands(CommandTable& t);
void registerFigureCommands(CommandTable& t);
void registerDoubletCommands(CommandTable& t);
void registerMonteCarloCommands(CommandTable& t);

}  // namespace xyla
