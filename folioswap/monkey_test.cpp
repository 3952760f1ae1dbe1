// folioswap under random input (common/testing/monkey.h): the set switcher's
// window over a fresh copy of the sample game folder and its program folder
// Borvex. The program ends itself (Exit, a fatal report); the monkey then
// starts it again, which also runs the recovery of a cut-short operation.
//
// After every action the game folder (the program folder left out) holds
// what it held before, or what one whole Load, Unload or Restore of some set
// makes of that: never half of an operation. Each game file is missing, the
// game's own, or the version of some set, saved file or safety copy. When
// LastCampaign.txt names a set, the game folder holds that set's files. In
// the program folder only LastCampaign.txt changes and safety copies are
// added; no journal or temporary copy is left behind while the program runs.
#include "folioswap/folioswapwindow.h"
#include "folioswap/settree.h"
#include "folioswap/switchplan.h"

#include "common/fileimage.h"
#include "common/testing/monkey.h"

#include <QTest>

#include <map>
#include <memory>
#include <set>

namespace {

using namespace kvl::test::monkey;
using namespace kvl::folioswap;

const std::string kGame = "game/";
const std::string kMain = "game/Borvex/";
const std::string kWork = "game/Borvex/Workfiles/";

/// The game folder's files without the program folder: name -> bytes.
using GameFiles = std::map<std::string, std::string>;

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

GameFiles gameFiles(const Snapshot& snapshot)
{
    GameFiles files;
    for (const auto& [path, entry] : snapshot)
        if (startsWith(path, kGame) && !startsWith(path, kMain) && path != "game/Borvex")
            files[path.substr(kGame.size())] = entry.folder ? std::string("<folder>") : entry.bytes;
    return files;
}

// The files directly inside `folder` (relative, ending in "/") that are not hidden.
std::map<std::string, std::string> filesIn(const Snapshot& snapshot, const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& [path, entry] : snapshot) {
        if (!startsWith(path, folder) || entry.folder)
            continue;
        const std::string name = path.substr(folder.size());
        if (!name.empty() && name.find('/') == std::string::npos && name.front() != '.')
            files[name] = entry.bytes;
    }
    return files;
}

// The game file a set file or restore name lands on: the one there in any
// letter case, else the name itself.
std::string target(const GameFiles& game, const std::string& name)
{
    for (const auto& [existing, bytes] : game)
        if (kvl::equalsNoCase(existing, name))
            return existing;
    return name;
}

std::vector<std::string> setNames(const Snapshot& snapshot)
{
    std::vector<std::string> names;
    for (const auto& [path, entry] : snapshot) {
        if (!entry.folder || !startsWith(path, kMain))
            continue;
        const std::string rest = path.substr(kMain.size());
        if (rest.find('/') == std::string::npos)
            if (const auto name = setNameFromEntry(rest))
                names.push_back(*name);
    }
    return names;
}

// What one whole operation makes of the game folder, from the program
// folder's files before it.
GameFiles loaded(GameFiles game, const Snapshot& snapshot, const std::string& set)
{
    for (const auto& [name, bytes] : filesIn(snapshot, kMain + "CAM" + set + "/"))
        game[target(game, name)] = bytes;
    return game;
}

GameFiles unloaded(GameFiles game, const Snapshot& snapshot, const std::string& set)
{
    for (const auto& [name, bytes] : filesIn(snapshot, kMain + "CAM" + set + "/"))
        game.erase(target(game, name));
    return game;
}

GameFiles restored(GameFiles game, const Snapshot& snapshot, const std::string& set)
{
    const auto list = snapshot.find(kWork + "res" + set + ".txt");
    if (list == snapshot.end())
        return game;
    const auto saved = filesIn(snapshot, kMain + "QEXRestoreFiles/");
    std::set<std::string> named;
    for (const RestoreEntry& entry : parseRestoreList(list->second.bytes)) {
        const auto copy = std::find_if(
            saved.begin(), saved.end(), [&](const auto& s) { return kvl::equalsNoCase(s.first, entry.name); });
        if (!isSafeRestoreName(entry.name) || copy == saved.end())
            return game; // refused before anything is copied
        const std::string t = target(game, entry.name);
        game[t] = copy->second;
        named.insert(t);
    }
    for (const auto& [name, bytes] : filesIn(snapshot, kWork + "SafetyCopies/")) {
        const std::string t = target(game, name);
        if (!std::any_of(named.begin(), named.end(), [&](const std::string& n) { return kvl::equalsNoCase(n, t); }))
            game[t] = bytes;
    }
    return game;
}

class FolioSwapSubject : public WindowSubject<FolioSwapWindow> {
public:
    void start(Session& session) override
    {
        m_window = std::make_unique<FolioSwapWindow>(&session);
        // As the program does: shown only when the start did not end in a report.
        if (m_window->start(session.folders().game / "Borvex")) {
            showWindow();
        }
    }

    int restartsPerThousand() const override { return 20; }

    void beforeAction(const Action&, const Session&) override { }

    std::string check(const Action&, const Session& session, const std::vector<FileChange>& changes) override
    {
        const bool ended = !m_window || m_window->switcher().ended();
        Snapshot after = session.before();
        for (const FileChange& change : changes) {
            if (change.after)
                after[change.path] = *change.after;
            else
                after.erase(change.path);
        }
        for (const FileChange& change : changes)
            if (const std::string why = judgeProgramFolder(change, after); !why.empty())
                return why + " (" + describe(change) + ")";
        if (!ended && after.count(kWork + kJournalName))
            return "journal: an operation left its journal behind";
        for (const auto& [path, entry] : after)
            if (path.size() > std::string(kTempSuffix).size()
                && path.compare(path.size() - std::string(kTempSuffix).size(), std::string::npos, kTempSuffix) == 0
                && !ended)
                return "temporary copy: " + path + " was left behind";
        return judgeGameFolder(session.before(), after);
    }

private:
    // Only LastCampaign.txt, the journal, temporary copies and new safety
    // copies may change in the program folder. Add Set only adds files (a
    // new set, its comment, picture and restore list, originals saved for
    // it); Remove Set moves a set's files into Workfiles/Removed, so a file
    // may go only when one of its name is there afterwards.
    static std::string judgeProgramFolder(const FileChange& change, const Snapshot& after)
    {
        const std::string& path = change.path;
        if (!startsWith(path, kMain))
            return startsWith(path, kGame) ? std::string() : "unasked change: a file outside the game folder changed";
        if (!change.before)
            return {};
        if (!change.after && !startsWith(path, kWork + "Removed/")) {
            const std::string name = path.substr(path.find_last_of('/') + 1);
            for (const auto& [kept, entry] : after)
                if (startsWith(kept, kWork + "Removed/") && kept.size() > name.size()
                    && kept.compare(kept.size() - name.size() - 1, std::string::npos, "/" + name) == 0
                    && entry.folder == change.before->folder && (entry.folder || entry.bytes == change.before->bytes))
                    return {};
        }
        if (path == kWork + "LastCampaign.txt") {
            if (!change.after || change.after->folder)
                return "LastCampaign.txt went";
            const auto name = parseLastCampaign(change.after->bytes);
            if (!name || formatLastCampaign(*name) != change.after->bytes)
                return "LastCampaign.txt: not one quoted name";
            return {};
        }
        if (path == kWork + kJournalName || path.find(kTempSuffix) != std::string::npos)
            return {};
        if (startsWith(path, kWork + "SafetyCopies")) {
            if (change.before && !change.before->folder)
                return "safety copy: an existing one changed or went";
            return {};
        }
        return "unasked change: a file of the program folder changed";
    }

    static std::string judgeGameFolder(const Snapshot& before, const Snapshot& after)
    {
        const GameFiles was = gameFiles(before);
        const GameFiles now = gameFiles(after);
        if (now == was)
            return lastCampaignHolds(after, now);
        std::vector<std::string> sets = setNames(before);
        bool whole = false;
        for (const std::string& set : sets)
            whole = whole || now == loaded(was, before, set) || now == unloaded(was, before, set)
                || now == restored(was, before, set);
        if (!whole)
            return "half an operation: the game folder is neither as it was nor as one whole Load, Unload or Restore "
                   "leaves it";
        // Every game file is one of the versions the folders hold.
        for (const auto& [name, bytes] : now) {
            bool known = was.count(name) && was.at(name) == bytes;
            for (const auto& [path, entry] : before)
                known = known
                    || (!entry.folder && entry.bytes == bytes && startsWith(path, kMain)
                        && kvl::equalsNoCase(path.substr(path.rfind('/') + 1), name));
            if (!known)
                return "game file " + name + " holds bytes of no set, saved file or safety copy";
        }
        return lastCampaignHolds(after, now);
    }

    // When LastCampaign.txt names a set, its files are in the game folder.
    static std::string lastCampaignHolds(const Snapshot& after, const GameFiles& game)
    {
        const auto last = after.find(kWork + "LastCampaign.txt");
        if (last == after.end())
            return {};
        const auto name = parseLastCampaign(last->second.bytes);
        if (!name || *name == kNoCampaign)
            return {};
        for (const auto& [file, bytes] : filesIn(after, kMain + "CAM" + *name + "/")) {
            const auto it = game.find(target(game, file));
            if (it == game.end() || it->second != bytes)
                return "loaded set: LastCampaign.txt names \"" + *name + "\" but the game folder's " + file
                    + " is not its version";
        }
        return {};
    }
};

} // namespace

int main(int argc, char** argv)
{
    Program program = Program::of<FolioSwapSubject>("folioswap", 20263, KVL_SAMPLE_DIR, KVL_MONKEY_REGRESSIONS);
    return monkeyMain(argc, argv, program);
}
