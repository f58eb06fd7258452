#pragma once

// Qt's own dialogs keep their custom colours and the file dialog's history in
// a settings file of the toolkit's. The program keeps no settings outside its
// own file: those stay in memory for the run.
namespace ToolkitSettings {
void keepInMemory();
} // namespace ToolkitSettings
