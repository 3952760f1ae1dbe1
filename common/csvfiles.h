// The CSV file steps of the record editors' "Export CSV..." and "Import
// CSV...": ask for a file, then write a table's whole text into it, or read
// the whole file and check every row of it against the table. They run in
// the editors' cores, through kvl::WindowHost; the words (the dialog's
// caption, filter and object name, the messages) are each program's own.
//
// Nothing is written until it is whole: an export replaces the file in one
// step (replaceFile), so the file afterwards holds the whole text or is as
// it was, and an import gives back values only when every row passed, for
// the editor to write as one step. A refusal shows one message, naming the
// file and the reason.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fieldtable.h"
#include "common/windowhost.h"

namespace kvl {

class LastFolder;

/// How a CSV file step ended: done, the dialog cancelled (nothing shown
/// after it), or refused with a message.
enum class CsvFileOutcome { Done, Cancelled, Refused };

/// The message box for a refusal, made from the file chosen and the reason
/// (a phrase without a full stop, as kvl::Error messages are).
using CsvRefusal = std::function<Message(const std::filesystem::path& file, const std::string& reason)>;

/// The words of an export.
struct CsvExportSteps {
    /// The save dialog: caption, suggested file, filter, object name.
    FileDialogRequest dialog;
    /// The program's remembered folder, which the dialog starts in and
    /// keeps; none: the dialog starts where `dialog` says.
    LastFolder* lastFolder = nullptr;
    /// The file cannot be written.
    CsvRefusal cannotWrite;
};

/// The words of an import.
struct CsvImportSteps {
    /// The open dialog: caption, start folder, filter, object name.
    FileDialogRequest dialog;
    LastFolder* lastFolder = nullptr;
    /// The file cannot be read.
    CsvRefusal cannotRead;
    /// The text is refused; the reason names the line.
    CsvRefusal refused;
};

struct CsvExportResult {
    CsvFileOutcome outcome = CsvFileOutcome::Cancelled;
    /// The file chosen; empty when the dialog was cancelled.
    std::filesystem::path file;
    bool done() const { return outcome == CsvFileOutcome::Done; }
};

struct CsvImportResult {
    CsvFileOutcome outcome = CsvFileOutcome::Cancelled;
    std::filesystem::path file;
    /// Every row of the file, checked; empty unless done.
    std::vector<FieldAssignment> values;
    bool done() const { return outcome == CsvFileOutcome::Done; }
};

/// Asks for a file and writes `csv` into it whole.
CsvExportResult exportToChosenCsv(WindowHost& host, const CsvExportSteps& steps, std::string_view csv);

/// Asks for a file, reads it whole and checks it whole against `table`
/// (kvl::parseImportCsv with `layout`). Writes nothing.
CsvImportResult importFromChosenCsv(
    WindowHost& host, const CsvImportSteps& steps, const TypedFieldTable& table, const CsvLayout& layout);

} // namespace kvl
