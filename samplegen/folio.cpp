// Sample game files: the campaign set switcher's program folder "Borvex".
//
// Borvex/CAM<name>/        the files of each campaign set
// Borvex/Workfiles/        LastCampaign.txt, <name>.jpg, xxx<name>.txt, res<name>.txt
// Borvex/QEXRestoreFiles/  the game's own copies of the files the sets replace
// Borvex/ReadMe/           BorvexReadMe.txt, NotesonCampaigns.txt, <name>ReadMe.txt
#include "samplegen/samples.h"

#include "common/fileimage.h"
#include "common/textio.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace kvl::samples {

namespace {

struct SampleFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

struct SampleSet {
    std::string name;
    std::vector<SampleFile> files;
    std::vector<std::string> restoreList; // may hold empty lines
    std::vector<std::string> comment;
    std::vector<std::string> readMe;
    QColor skyTop, skyBottom, ground;
    bool desert = false;
    int planes = 3;
};

bool fail(const std::string& what)
{
    std::fprintf(stderr, "kvl-samplegen: folio: %s\n", what.c_str());
    return false;
}

std::string crlf(const std::vector<std::string>& lines)
{
    CrlfText text;
    for (const auto& line : lines)
        text.line(line);
    return text.take();
}

// A side-view aircraft silhouette centred on the origin, nose to +x.
QPainterPath aircraft()
{
    QPainterPath path;
    path.moveTo(-30, 0);
    path.cubicTo(-20, -5, 20, -6, 30, -2);
    path.lineTo(32, 1);
    path.cubicTo(20, 4, -20, 3, -30, 2);
    path.closeSubpath();
    path.addPolygon(QPolygonF({ { 2, -1 }, { -8, -16 }, { -13, -16 }, { -6, 0 } }));     // far wing
    path.addPolygon(QPolygonF({ { 2, 1 }, { -9, 15 }, { -14, 15 }, { -6, 1 } }));        // near wing
    path.addPolygon(QPolygonF({ { -24, -1 }, { -32, -11 }, { -35, -11 }, { -31, 0 } })); // fin
    path.addEllipse(QPointF(12, -4), 5, 2.5);                                            // canopy
    path.addEllipse(QPointF(33, 0), 1.2, 8);                                             // propeller disc
    return path;
}

QImage drawPicture(const SampleSet& set, int seed)
{
    const int width = 480, height = 360;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, height * 0.7);
    sky.setColorAt(0, set.skyTop);
    sky.setColorAt(1, set.skyBottom);
    painter.fillRect(0, 0, width, height, sky);

    // Sun and clouds.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 240, 190, 220));
    painter.drawEllipse(QPointF(width * 0.8, height * 0.18), 26, 26);
    painter.setBrush(QColor(255, 255, 255, set.desert ? 60 : 150));
    for (int i = 0; i < 5; ++i) {
        double x = std::fmod(70.0 + i * 97.0 + seed * 41.0, width);
        double y = 40.0 + (i * 37 + seed * 13) % 110;
        painter.drawEllipse(QPointF(x, y), 48, 12);
        painter.drawEllipse(QPointF(x + 25, y - 7), 28, 10);
    }

    // Ground or sea, with a coastline.
    QPainterPath land;
    land.moveTo(0, height * 0.72);
    for (int x = 0; x <= width; x += 20)
        land.lineTo(x, height * 0.72 + 8 * std::sin(x / 37.0 + seed));
    land.lineTo(width, height);
    land.lineTo(0, height);
    land.closeSubpath();
    painter.setBrush(set.ground);
    painter.drawPath(land);
    painter.setBrush(set.ground.darker(130));
    for (int i = 0; i < 6; ++i)
        painter.drawEllipse(QPointF(40.0 + i * 83.0, height * 0.85 + (i % 3) * 12), 30, 5);

    // A formation of aircraft.
    QPainterPath plane = aircraft();
    for (int i = 0; i < set.planes; ++i) {
        painter.save();
        painter.translate(120.0 + i * 95.0, 150.0 + ((i * 53 + seed * 29) % 90));
        painter.rotate(-6.0 + i * 4.0);
        painter.scale(1.3 - i * 0.15, 1.3 - i * 0.15);
        painter.setBrush(i == 0 ? QColor(70, 80, 60) : QColor(50, 55, 60));
        painter.drawPath(plane);
        painter.restore();
    }
    painter.end();
    return image;
}

bool writeText(const fs::path& path, const std::vector<std::string>& lines)
{
    if (!writeFileImage(path, std::string_view(crlf(lines))))
        return fail("cannot write " + path.string());
    return true;
}

bool writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    if (!writeFileImage(path, bytes))
        return fail("cannot write " + path.string());
    return true;
}

std::vector<SampleSet> sampleSets()
{
    std::vector<SampleSet> sets;

    SampleSet channel;
    channel.name = "Channel 1940";
    channel.files = { { "CAMP0001.DAT", sampleCampaignFile(1) }, { "SQ0141.DAT", sampleSquadronFile(1) } };
    channel.restoreList = { "CAMP0001.DAT", "SQ0141.DAT" };
    channel.comment = { "Channel 1940", "", "Summer over the coast: convoys, radar stations and airfields.",
        "Replaces the first campaign and its opening squadron file." };
    channel.readMe = { "Channel 1940 - campaign set", "", "Files in this set:", "  CAMP0001.DAT  the campaign",
        "  SQ0141.DAT    the opening squadron", "", "Load it, then start the first campaign in the game." };
    channel.skyTop = QColor(70, 110, 170);
    channel.skyBottom = QColor(190, 210, 230);
    channel.ground = QColor(40, 80, 110);
    sets.push_back(std::move(channel));

    SampleSet malta;
    malta.name = "Malta Siege";
    malta.files = { { "CAMP0001.DAT", sampleCampaignFile(2) }, { "SQ0141.DAT", sampleSquadronFile(2) },
        { "SQ0241.DAT", sampleSquadronFile(1) } };
    malta.restoreList = { "CAMP0001.DAT", "", "SQ0141.DAT", "SQ0241.DAT", "" };
    malta.comment = { "Malta Siege", "", "The island holds out: few fighters, many raids.",
        "Replaces the first campaign and two squadron files." };
    malta.readMe = { "Malta Siege - campaign set", "", "Three files: CAMP0001.DAT, SQ0141.DAT, SQ0241.DAT.",
        "Unload it before loading another set." };
    malta.skyTop = QColor(40, 120, 200);
    malta.skyBottom = QColor(170, 215, 240);
    malta.ground = QColor(30, 95, 140);
    malta.planes = 2;
    sets.push_back(std::move(malta));

    SampleSet desert;
    desert.name = "Desert Air War";
    desert.files = { { "CAMP0002.DAT", sampleCampaignFile(3) }, { "SQ0242.DAT", sampleSquadronFile(2) } };
    desert.restoreList = { "CAMP0002.DAT", "SQ0242.DAT" };
    desert.comment = { "Desert Air War", "", "Long patrols over the sand, dust and heat." };
    desert.readMe = { "Desert Air War - campaign set", "", "Replaces the second campaign and its squadron file." };
    desert.skyTop = QColor(120, 150, 190);
    desert.skyBottom = QColor(235, 215, 170);
    desert.ground = QColor(200, 165, 100);
    desert.desert = true;
    desert.planes = 4;
    sets.push_back(std::move(desert));
    return sets;
}

// The game's own version of a file that a set replaces: the one in the game
// folder when another sample writer made it, otherwise one made here and
// also put into the game folder. The sets use the other variants.
bool saveGameOriginal(const fs::path& game, const fs::path& saved, const std::string& name, int variant)
{
    fs::path inGame = findFileNoCase(game, name);
    std::vector<std::uint8_t> bytes;
    if (fileSize(inGame) >= 0) {
        if (!readFileImage(inGame, bytes))
            return fail("cannot read " + inGame.string());
    } else {
        bytes = name.rfind("SQ", 0) == 0 ? sampleSquadronFile(variant) : sampleCampaignFile(variant);
        if (!writeBytes(inGame, bytes))
            return false;
    }
    return writeBytes(saved / name, bytes);
}

} // namespace

bool writeFolioSamples(const fs::path& game)
{
    const fs::path main = game / "Borvex";
    const fs::path work = main / "Workfiles";
    const fs::path saved = main / "QEXRestoreFiles";
    const fs::path readMe = main / "ReadMe";
    std::error_code ec;
    for (const auto& folder : { work, saved, readMe }) {
        fs::create_directories(folder, ec);
        if (ec)
            return fail("cannot create " + folder.string() + ": " + ec.message());
    }

    bool ok = writeText(work / "LastCampaign.txt", { "\"xxx\"" });
    int seed = 0;
    for (const auto& set : sampleSets()) {
        fs::path folder = main / ("CAM" + set.name);
        fs::create_directories(folder, ec);
        if (ec)
            return fail("cannot create " + folder.string() + ": " + ec.message());
        for (const auto& file : set.files)
            ok = writeBytes(folder / file.name, file.bytes) && ok;
        QImage picture = drawPicture(set, seed++);
        fs::path picturePath = work / (set.name + ".jpg");
        if (!picture.save(QString::fromStdString(picturePath.string()), "JPG", 85))
            ok = fail("cannot write " + picturePath.string());
        ok = writeText(work / ("xxx" + set.name + ".txt"), set.comment) && ok;
        ok = writeText(work / ("res" + set.name + ".txt"), set.restoreList) && ok;
        ok = writeText(readMe / (set.name + "ReadMe.txt"), set.readMe) && ok;
        for (const auto& file : set.restoreList) {
            if (!file.empty() && fileSize(saved / file) < 0)
                ok = saveGameOriginal(game, saved, file, 0) && ok;
        }
    }

    ok = writeText(readMe / "BorvexReadMe.txt",
             { "Borvex - campaign set switcher", "",
                 "Start the program from this folder; the game folder is the one above it.", "",
                 "1. Click a campaign in the list to see its picture and notes.",
                 "2. Press \"Load Selected Campaign\" to copy its files into the game folder.",
                 "3. Press \"Unload Selected Campaign\" (with the same campaign selected) to delete them again.",
                 "4. With no campaign loaded, select one and press \"Restore QEX Files\" to copy back the",
                 "   game's own files that it replaced.", "", "Only one campaign can be loaded at a time." })
        && ok;
    ok = writeText(readMe / "NotesonCampaigns.txt",
             { "Notes on campaigns", "", "Each campaign set is a folder named CAM followed by its name.",
                 "Its picture, comment and restore list live in Workfiles.",
                 "Always unload a campaign before loading another one." })
        && ok;
    return ok;
}

} // namespace kvl::samples
