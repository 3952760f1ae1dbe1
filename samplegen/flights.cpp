// Sample game files: flight models. Two .flt files of two invented aircraft
// and FDataDet.txt, the description file the flight editor reads.
//
// A .flt file is 328 little-endian fields, no header: fields 1, 2, 161, 162,
// 173, 174, 185, 186, 197, 198, 209, 210, 221 and 222 are signed 16-bit,
// fields 81, 95, 109, 123, 137, 311 and 312 signed 32-bit, the rest singles.
// The layout is written out here on its own, apart from the editor's code, so
// that the sample also checks the editor.
#include "samplegen/samples.h"

#include "common/byteview.h"
#include "common/fileimage.h"
#include "common/textio.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kvl::samples {

namespace {

constexpr int kFields = 328;

enum class Kind { I16, I32, F32 };

Kind kindOf(int n)
{
    for (int s : { 1, 2, 161, 162, 173, 174, 185, 186, 197, 198, 209, 210, 221, 222 })
        if (s == n)
            return Kind::I16;
    for (int l : { 81, 95, 109, 123, 137, 311, 312 })
        if (l == n)
            return Kind::I32;
    return Kind::F32;
}

struct Aircraft {
    std::string file;
    std::array<double, kFields + 1> value {}; // 1-based
    std::array<std::string, kFields + 1> what {};
};

// The descriptions and values of one aircraft; `heavy` picks the twin.
Aircraft makeAircraft(bool heavy)
{
    Aircraft a;
    a.file = heavy ? "Harrow.flt" : "Kestrel.flt";
    auto set = [&](int n, const std::string& what, double light, double twin) {
        a.what[static_cast<std::size_t>(n)] = what;
        a.value[static_cast<std::size_t>(n)] = heavy ? twin : light;
    };

    set(1, "Model layout version", 3, 3);
    set(2, "Number of engines", 1, 2);
    // General mass and geometry, fields 3 to 80.
    const char* general[] = { "Empty mass (kg)", "Loaded mass (kg)", "Maximum take-off mass (kg)", "Wing span (m)",
        "Wing area (m2)", "Mean chord (m)", "Aspect ratio", "Wing incidence (deg)", "Dihedral (deg)", "Tail arm (m)",
        "Tailplane area (m2)", "Fin area (m2)", "Fuselage length (m)", "Centre of gravity, fraction of chord",
        "Moment of inertia, roll (kg m2)", "Moment of inertia, pitch (kg m2)", "Moment of inertia, yaw (kg m2)",
        "Fuel capacity (l)", "Oil capacity (l)", "Fuel burn at cruise (l/h)", "Zero-lift drag coefficient",
        "Induced drag factor", "Maximum lift coefficient, clean", "Maximum lift coefficient, flaps down",
        "Stall angle, clean (deg)", "Stall angle, flaps down (deg)", "Lift slope (per rad)",
        "Ground effect height, fraction of span", "Undercarriage drag coefficient", "Flap drag coefficient",
        "Radiator drag coefficient", "Canopy drag coefficient", "Never-exceed speed (km/h)", "Flap limit speed (km/h)",
        "Gear limit speed (km/h)", "Landing speed (km/h)", "Take-off speed (km/h)", "Best climb speed (km/h)",
        "Service ceiling (m)", "Critical altitude, first gear (m)", "Critical altitude, second gear (m)",
        "Rated power (kW)", "Take-off power (kW)", "Emergency power (kW)", "Emergency power time limit (s)",
        "Engine mass (kg)", "Propeller diameter (m)", "Propeller blade count", "Propeller inertia (kg m2)",
        "Reduction gear ratio", "Idle rpm", "Maximum rpm", "Overspeed rpm", "Coolant limit (deg C)",
        "Oil limit (deg C)", "Cylinder head limit (deg C)", "Heating rate at emergency power", "Cooling rate in a dive",
        "Torque effect factor", "Slipstream effect on fin", "Gyroscopic effect factor", "Aileron effectiveness",
        "Elevator effectiveness", "Rudder effectiveness", "Aileron heaviness at speed", "Elevator heaviness at speed",
        "Rudder heaviness at speed", "Trim range, elevator (deg)", "Trim range, rudder (deg)", "Roll damping",
        "Pitch damping", "Yaw damping", "Spin tendency", "Spin recovery factor", "Wing flex factor",
        "Buffet onset, fraction of stall", "Wheel brake force (N)", "Tail wheel steering factor" };
    const double light[] = { 2330, 2980, 3120.5, 11.23, 22.48, 2.0, 5.61, 2.0, 6.0, 5.5, 2.98, 1.24, 9.12, 0.27, 5890,
        11250.75, 16100, 386, 35, 145.5, 0.0214, 0.5, 1.38, 1.78, 16.5, 14.0, 5.1, 0.5, 0.012, 0.031, 0.0045, 0.0021,
        720, 290, 260, 145, 160, 260, 10500, 3200, 5800, 768, 820.5, 895, 300, 630, 3.27, 3, 21.5, 0.477, 600, 3000,
        3600, 125, 95, 280, 0.85, 1.6, 0.35, 0.22, 0.18, 1.0, 0.95, 0.9, 0.0021, 0.0018, 0.0012, 6.5, 4.0, 0.45, 0.5,
        0.38, 0.25, 1.8, 0.02, 0.92, 3400, 0.6 };
    const double twin[] = { 5210, 7020, 7450, 15.3, 38.4, 2.6, 6.1, 1.5, 5.5, 7.8, 6.15, 2.9, 12.2, 0.29, 24500,
        41200.25, 61100, 1240, 70, 390.5, 0.0235, 0.52, 1.42, 1.95, 15.5, 13.0, 5.3, 0.5, 0.014, 0.034, 0.0060, 0.0024,
        650, 280, 270, 170, 185, 280, 9400, 2900, 5400, 820, 880.5, 960, 300, 640, 3.3, 3, 24.0, 0.52, 580, 2800, 3400,
        120, 92, 270, 0.8, 1.5, 0.05, 0.15, 0.08, 0.85, 0.9, 0.8, 0.0026, 0.0022, 0.0016, 7.0, 5.0, 0.55, 0.6, 0.48,
        0.1, 2.2, 0.01, 0.9, 6200, 0.7 };
    static_assert(std::size(general) == 78 && std::size(light) == 78 && std::size(twin) == 78);
    for (int i = 0; i < 78; ++i)
        set(3 + i, general[i], light[i], twin[i]);

    // Five curves, fields 81 to 150: a point count, six (x, y) points and a scale.
    const char* curves[] = { "Lift curve", "Drag curve", "Pitch moment curve", "Power by altitude",
        "Propeller efficiency by speed" };
    const double xs[5][6] = { { -8, 0, 6, 12, 16, 20 }, { 0, 0.4, 0.8, 1.1, 1.3, 1.5 }, { -10, -5, 0, 5, 10, 15 },
        { 0, 1000, 3000, 5000, 7000, 9000 }, { 100, 200, 300, 400, 500, 600 } };
    const double ys[5][6] = { { -0.45, 0.18, 0.72, 1.21, 1.38, 0.95 }, { 0.021, 0.026, 0.048, 0.085, 0.12, 0.19 },
        { 0.08, 0.04, 0.0, -0.05, -0.11, -0.19 }, { 1.0, 1.04, 1.12, 1.08, 0.86, 0.61 },
        { 0.55, 0.72, 0.81, 0.84, 0.79, 0.68 } };
    for (int c = 0; c < 5; ++c) {
        int base = 81 + 14 * c;
        std::string name = curves[c];
        set(base, name + ": number of points used", 6, 6);
        for (int p = 0; p < 6; ++p) {
            double scale = heavy ? 1.03 : 1.0;
            set(base + 1 + 2 * p, name + ": point " + std::to_string(p + 1) + ", input", xs[c][p], xs[c][p]);
            set(base + 2 + 2 * p, name + ": point " + std::to_string(p + 1) + ", output", ys[c][p],
                std::round(ys[c][p] * scale * 1000.0) / 1000.0);
        }
        set(base + 13, name + ": overall scale", 1.0, heavy ? 1.05 : 1.0);
    }
    // Controls, fields 151 to 160.
    const char* controls[] = { "Aileron travel (deg)", "Elevator travel up (deg)", "Elevator travel down (deg)",
        "Rudder travel (deg)", "Flap travel, take-off (deg)", "Flap travel, landing (deg)", "Flap motion time (s)",
        "Gear motion time (s)", "Stick force per g (N)", "Control lag (s)" };
    const double lightControls[] = { 18, 28, 22, 30, 25, 55, 6.5, 9.0, 22.5, 0.08 };
    const double twinControls[] = { 16, 25, 20, 28, 20, 45, 8.0, 12.5, 41.0, 0.12 };
    for (int i = 0; i < 10; ++i)
        set(151 + i, controls[i], lightControls[i], twinControls[i]);

    // Six gun stations, fields 161 to 232: two counts, then ten singles.
    const char* gun[] = { "rounds carried", "weapon kind", "position across (m)", "position up (m)",
        "position along (m)", "muzzle velocity (m/s)", "rounds per minute", "dispersion (mrad)",
        "convergence range (m)", "weapon mass (kg)", "recoil factor", "tracer every nth round" };
    for (int s = 0; s < 6; ++s) {
        int base = 161 + 12 * s;
        bool fitted = heavy ? s < 5 : s < 4;
        double side = (s % 2 == 0 ? -1.0 : 1.0) * (1.2 + 0.45 * (s / 2));
        double lightRow[12] = { 300, 1, side, -0.15, 0.9, 745, 1150, 1.8, 230, 10.0, 0.2, 5 };
        double twinRow[12] = { s < 2 ? 60.0 : 1000.0, s < 2 ? 3.0 : 1.0, s < 2 ? side * 0.2 : side * 0.3, -0.4, 2.1,
            s < 2 ? 840.0 : 790.0, s < 2 ? 600.0 : 1200.0, 2.1, 300, s < 2 ? 42.0 : 11.5, s < 2 ? 0.6 : 0.2, 4 };
        for (int k = 0; k < 12; ++k) {
            std::string what = "Gun station " + std::to_string(s + 1) + ": " + gun[k];
            set(base + k, what, fitted ? lightRow[k] : 0, fitted ? twinRow[k] : 0);
        }
    }
    // Damage and handling on the ground, fields 233 to 310.
    const char* parts[] = { "engine", "left wing", "right wing", "tail", "cockpit", "fuel tank" };
    int n = 233;
    for (int p = 0; p < 6; ++p) {
        std::string part = parts[p];
        const char* items[] = { "strength", "armour thickness (mm)", "fire chance", "leak rate", "drag when damaged",
            "lift loss when damaged", "weight share", "hit box size (m)", "hit box offset (m)", "repair time (min)",
            "critical hit chance", "smoke trail length (m)", "debris count" };
        for (int k = 0; k < 13; ++k, ++n) {
            double base = (k + 1) * (p + 2) * 0.75;
            set(n, "Damage, " + part + ": " + items[k], base, std::round(base * 1.4 * 100.0) / 100.0);
        }
    }
    set(311, "Year the type entered service", 1938, 1940);
    set(312, "Year the type left service", 1945, 1944);
    // Views and sounds, fields 313 to 328.
    const char* views[] = { "Pilot eye across (m)", "Pilot eye up (m)", "Pilot eye along (m)", "Gunsight distance (m)",
        "Head movement range (deg)", "Canopy frame width", "Mirror field of view (deg)", "Engine sound pitch",
        "Engine sound volume", "Wind sound onset (km/h)", "Gear warning speed (km/h)", "Stall warning margin (km/h)",
        "Shake at stall", "Shake at top speed", "Outside view distance (m)", "Shadow size factor" };
    const double lightViews[] = { 0, 0.72, -1.1, 0.45, 135, 0.08, 20, 1.0, 0.9, 350, 180, 15, 0.6, 0.25, 18, 1.0 };
    const double twinViews[] = { -0.2, 0.85, 1.4, 0.5, 140, 0.1, 0, 0.85, 1.0, 330, 200, 20, 0.4, 0.2, 26, 1.5 };
    for (int i = 0; i < 16; ++i)
        set(313 + i, views[i], lightViews[i], twinViews[i]);
    return a;
}

std::vector<std::uint8_t> flightImage(const Aircraft& a)
{
    ByteWriter w(1284);
    for (int n = 1; n <= kFields; ++n) {
        double v = a.value[static_cast<std::size_t>(n)];
        switch (kindOf(n)) {
        case Kind::I16:
            w.i16(static_cast<std::int16_t>(std::lround(v)));
            break;
        case Kind::I32:
            w.i32(static_cast<std::int32_t>(std::lround(v)));
            break;
        case Kind::F32:
            w.f32(static_cast<float>(v));
            break;
        }
    }
    return w.take();
}

} // namespace

bool writeFlightSamples(const std::filesystem::path& game)
{
    const Aircraft light = makeAircraft(false);
    const Aircraft twin = makeAircraft(true);
    for (const Aircraft* a : { &light, &twin }) {
        std::vector<std::uint8_t> image = flightImage(*a);
        if (image.size() != 1284 || !writeFileImage(game / a->file, image)) {
            std::fprintf(stderr, "kvl-samplegen: cannot write %s\n", (game / a->file).string().c_str());
            return false;
        }
    }
    CrlfText text;
    text.line("Flight model value");
    for (int n = 1; n <= kFields; ++n)
        text.line(light.what[static_cast<std::size_t>(n)]);
    if (!text.writeTo(game / "FDataDet.txt")) {
        std::fprintf(stderr, "kvl-samplegen: cannot write %s\n", (game / "FDataDet.txt").string().c_str());
        return false;
    }
    return true;
}

} // namespace kvl::samples
