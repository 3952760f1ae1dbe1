// planesedit timings: reading and showing one aircraft, and "Save planes.dat"
// (write + reload), in the core alone and through the window; the reference
// is refilling the 845 cells of a bare 169 x 5 QTableWidget.
#include "planesedit/planeseditwindow.h"

#include "common/testing/fakewindowhost.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using kvl::planesedit::AircraftEditor;
using kvl::planesedit::PlanesEditWindow;
using NoPrompts = kvl::test::FakeWindowHost<>;

std::filesystem::path benchFolder()
{
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / "planesedit-bench";
        std::filesystem::create_directories(d);
        std::ofstream out(d / "planes.dat", std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 6484; ++i)
            out.put(static_cast<char>(i * 7));
        return d;
    }();
    return dir;
}

QApplication& app()
{
    static int argc = 1;
    static char name[] = "planesedit_bench";
    static char* argv[] = { name, nullptr };
    if (!qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's own globals may be gone by the time statics end.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

void CoreLoad(benchmark::State& state)
{
    NoPrompts prompts;
    AircraftEditor core(benchFolder(), prompts);
    int slot = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(core.chooseAircraft(slot));
        slot = (slot + 1) % kvl::planesedit::kSlotCount;
    }
}
BENCHMARK(CoreLoad);

void CoreSaveAndReload(benchmark::State& state)
{
    NoPrompts prompts;
    AircraftEditor core(benchFolder(), prompts);
    core.chooseAircraft(6);
    for (auto _ : state) {
        core.yearChanged("1943");
        benchmark::DoNotOptimize(core.savePlanes());
    }
}
BENCHMARK(CoreSaveAndReload);

// Ten typed edits (each a step), ten undos and ten redos in the core.
void CoreUndoRedoTen(benchmark::State& state)
{
    NoPrompts host;
    AircraftEditor editor(benchFolder(), host);
    editor.chooseAircraft(6);
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i)
            editor.numberChanged(i, std::to_string(1000 + i));
        for (int i = 0; i < 10; ++i)
            editor.undo();
        for (int i = 0; i < 10; ++i)
            editor.redo();
        for (int i = 0; i < 10; ++i)
            editor.undo();
    }
}
BENCHMARK(CoreUndoRedoTen)->Unit(benchmark::kMicrosecond);

// Compare of the aircraft shown with another slot read from the file.
void CoreCompareSlots(benchmark::State& state)
{
    NoPrompts host;
    AircraftEditor editor(benchFolder(), host);
    editor.chooseAircraft(6);
    for (auto _ : state) {
        editor.compareWithSlot(7);
        benchmark::DoNotOptimize(kvl::compareFields(editor.table(), editor.compared()->table));
    }
}
BENCHMARK(CoreCompareSlots)->Unit(benchmark::kMicrosecond);

// An import of all 168 values: parse, check whole and apply as one step.
void CoreImport168(benchmark::State& state)
{
    NoPrompts host;
    AircraftEditor editor(benchFolder(), host);
    editor.chooseAircraft(6);
    editor.compareWithSlot(7);
    const std::string csv = kvl::exportCsv(editor.compared()->table, kvl::planesedit::recordCsvLayout());
    for (auto _ : state) {
        auto assignments = kvl::parseImportCsv(editor.table(), csv, kvl::planesedit::recordCsvLayout());
        editor.applyValues(*assignments, kvl::planesedit::StatusReport::Kind::Imported);
        editor.undo();
    }
}
BENCHMARK(CoreImport168)->Unit(benchmark::kMicrosecond);

// A script of another slot read from its file, checked whole, compared with
// the aircraft shown and with its destination slot, applied as one step and
// undone.
void CoreApplyScript(benchmark::State& state)
{
    NoPrompts host;
    AircraftEditor editor(benchFolder(), host);
    editor.chooseAircraft(7);
    editor.scriptMaker().chooseDestination(9);
    const auto script = benchFolder() / "bench-script.oaw";
    std::ofstream(script, std::ios::binary | std::ios::trunc) << editor.scriptMaker().scriptText();
    editor.chooseAircraft(6);
    for (auto _ : state) {
        auto proposal = editor.proposeApply(script, kvl::planesedit::ValuesFileKind::Script);
        editor.applyValuesFile(*proposal, 6);
        editor.undo();
    }
}
BENCHMARK(CoreApplyScript)->Unit(benchmark::kMicrosecond);

void WindowLoad(benchmark::State& state)
{
    app();
    NoPrompts prompts;
    PlanesEditWindow form(benchFolder(), &prompts);
    form.show();
    auto* list = form.findChild<QListWidget*>(QStringLiteral("List1"));
    int slot = 0;
    for (auto _ : state) {
        list->setCurrentRow(slot);
        QApplication::processEvents();
        slot = (slot + 1) % kvl::planesedit::kSlotCount;
    }
}
BENCHMARK(WindowLoad)->Unit(benchmark::kMicrosecond);

void WindowSaveAndReload(benchmark::State& state)
{
    app();
    NoPrompts prompts;
    PlanesEditWindow form(benchFolder(), &prompts);
    form.show();
    form.findChild<QListWidget*>(QStringLiteral("List1"))->setCurrentRow(6);
    auto* save = form.findChild<QPushButton*>(QStringLiteral("Command3"));
    int year = 1940;
    for (auto _ : state) {
        form.editor().yearChanged(std::to_string(year++ % 8 + 1940)); // the grid really changes
        save->click();
        QApplication::processEvents();
    }
}
BENCHMARK(WindowSaveAndReload)->Unit(benchmark::kMicrosecond);

void ReferenceTableRefill(benchmark::State& state)
{
    app();
    QTableWidget table(169, 5);
    for (int r = 0; r < 169; ++r)
        for (int c = 0; c < 5; ++c)
            table.setItem(r, c, new QTableWidgetItem);
    table.show();
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int r = 0; r < 169; ++r)
            for (int c = 0; c < 5; ++c)
                table.item(r, c)->setText(QString::number((r * 5 + c + round) % 256));
        QApplication::processEvents();
    }
}
BENCHMARK(ReferenceTableRefill)->Unit(benchmark::kMicrosecond);

} // namespace
