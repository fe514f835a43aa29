#pragma once

#include <functional>
#include <string>
#include <vector>

namespace xyla {

class DataBuffer;
class Ui;
class XylaDocument;

// Title and button of the message every importer gives when a source yields nothing.
inline constexpr const char* kNothingImportedTitle = "Nothing Imported";

// Tells the person that `what` (a file path or a query) gave no buffer or no point: an
// alert in the window, a line on standard error in batch runs. Nothing without a Ui.
void reportNothingImported(Ui* ui, const std::string& what);

// Title of the alert of a reader that ran out of memory.
inline constexpr const char* kNotEnoughMemoryTitle = "Not Enough Memory";

// Runs `read`, a reader adding to `doc`. When memory runs out inside it, what it added
// (buffers, texts, graphics, sub-plots) is taken out again, the ranges are put back, the
// person is told that `file` needs more memory than there is ("Not Enough Memory", also
// without a document's Ui when `ui` is given), and the answer is false.
bool readWithinMemory(XylaDocument& doc, Ui* ui, const std::string& file, const std::function<void()>& read);

// True when none of `buffers` holds a point (also when there are none).
bool holdsNoPoint(const std::vector<DataBuffer*>& buffers);

// The document's Ui, or null for a document without a controller.
Ui* documentUi(const XylaDocument& doc);

// The open panel of the import menu actions: titled `title`, several files allowed,
// starting in the directory under "PATH", which takes the chosen files' directory.
// Answers the chosen files (none when cancelled).
std::vector<std::string> askForImportFiles(Ui& ui, const std::string& title);

// Reserves `want` values in a column that is about to be filled (backed page by page as
// it is written; see populateForWriting).
void reserveColumn(std::vector<double>& column, std::size_t want);

// Asks the kernel to back the memory of `count` doubles from `p` now, in one request,
// when that is worth a system call, so that the page faults and the clearing of fresh
// pages happen here, on the calling thread.
void populateForWriting(double* p, std::size_t count);

}  // namespace xyla
