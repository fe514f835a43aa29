#pragma once

namespace xyla {

class CommandTable;

// One registration function per command family; each adds its entries to the table
// at the places its commands belong (see CommandGroup).
void registerBufferCommands(CommandTable& t);
void registerAnalysisCommands(CommandTable& t);
void registerDialogCommands(CommandTable& t);
void registerControlCommands(CommandTable& t);
void registerObjectCommands(CommandTable& t);
void registerStyleCommands(CommandTable& t);
void registerAxisCommands(CommandTable& t);
void registerFrameCommands(CommandTable& t);
void registerPerlCommands(CommandTable& t);
void registerFileCommands(CommandTable& t);
void registerVariableCommands(CommandTable& t);
void registerFitCommands(CommandTable& t);
void registerXpsCommands(CommandTable& t);
void registerReportCommands(CommandTable& t);
void registerSubplotCommands(CommandTable& t);

}  // namespace xyla
