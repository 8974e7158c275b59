// Each effect family on a 24-megapixel bitmap made here, single-threaded, against the ImageMagick
// operation a user would use instead, in one run; prints the times, the ratios and the targets.
// Then the distortions that work out rows ahead on threads, in place on 5120 x 2880, on one
// thread against the default count, with their ratio (--threads-only: that part alone).
//
//   build/bench/effects/effects_bench [--no-magick] [--width W --height H] [--threads-only]
//
// ImageMagick runs with one thread (MAGICK_THREAD_LIMIT=1) and with memory limits of its own
// (a policy file in a temporary folder) so that it never falls back to a disk cache; its time
// is the operation's run on a memory-mapped cache of the same picture, less the time of the same
// command without the operation (reading the picture, starting the program).
#include "benchpicture.h"
#include "effects/paintfx.h"
#include "effects/random.h"
#include "effects/resample.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace effects;
using Clock = std::chrono::steady_clock;

namespace {

int W = 6000, H = 4000;  // 24 megapixels
bool useMagick = true;
std::string dir;

bool writePpm(const Bitmap24& b, const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", b.width(), b.height());
    std::vector<std::uint8_t> row(b.stride());
    for (int y = 0; y < b.height(); ++y) {
        const std::uint8_t* p = b.row(y);
        for (int x = 0; x < b.width(); ++x) {
            row[std::size_t(x) * 3] = p[x * 3 + 2];
            row[std::size_t(x) * 3 + 1] = p[x * 3 + 1];
            row[std::size_t(x) * 3 + 2] = p[x * 3];
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Our effect: the best of `runs`, each on a fresh copy (the copy is not timed).
double timeOurs(const Bitmap24& picture, const std::function<void(Bitmap24&)>& effect, int runs = 2)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        Bitmap24 b = picture;
        auto t0 = Clock::now();
        effect(b);
        best = std::min(best, seconds(t0, Clock::now()));
    }
    return best;
}

double runCommand(const std::string& cmd)
{
    auto t0 = Clock::now();
    int rc = std::system(cmd.c_str());
    double t = seconds(t0, Clock::now());
    if (rc != 0) std::fprintf(stderr, "command failed (%d): %s\n", rc, cmd.c_str());
    return t;
}

double magickBaseline = 0;

double timeMagick(const std::string& op, int runs = 2)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, runCommand("convert " + dir + "/in.mpc " + op + " null:"));
    return std::max(1e-6, best - magickBaseline);
}

struct Row {
    std::string what, magickOp;
    double ours = 0, magick = 0;
    std::string target;
    bool met = true;
};

std::vector<Row> rows;

void add(const std::string& what, double ours, const std::string& op, double magick, const std::string& target, bool met)
{
    rows.push_back({what, op, ours, magick, target, met});
    std::printf("  %-34s %8.3f s %8.0f MP/s", what.c_str(), ours, W * double(H) / 1e6 / ours);
    if (!op.empty() && magick > 0) std::printf("   %-32s %8.3f s  x%.1f", op.c_str(), magick, magick / ours);
    if (!target.empty()) std::printf("   [%s: %s]", target.c_str(), met ? "met" : "NOT MET");
    std::printf("\n");
    std::fflush(stdout);
}

// FishEye, Twist and Rotate in place (as the effects dialog runs them) on one thread and on the
// default count; the bytes must be the same.
int threadedDistortions()
{
    const int w = 5120, h = 2880;
    const Bitmap24 picture = makeBenchPicture(w, h);
    std::printf("\nDistortions in place on %d x %d: one thread against the default count (load average %.2f)\n", w, h,
                loadAverage());
    std::printf("  %-22s %12s %12s %8s\n", "routine", "1 thread ms", "default ms", "ratio");
    struct Case {
        const char* name;
        std::function<void(Bitmap24&, int)> run;
    };
    const Case cases[] = {
        {"Twist 20", [](Bitmap24& b, int t) { TvelPaintFX::Twist(b, b, 20, t); }},
        {"FishEye 0.6", [](Bitmap24& b, int t) { TvelPaintFX::FishEye(b, b, 0.6, t); }},
        {"Rotate 30", [&](Bitmap24& b, int t) { TvelPaintFX::Rotate(b, b, w / 2, h / 2, 30.0, t); }},
        {"WingsWavy 10, 150", [](Bitmap24& b, int t) { TvelPaintFX::WingsWavy(b, b, 10.0, 150, t); }},
        {"WingsTouche 10, 150", [](Bitmap24& b, int t) { TvelPaintFX::WingsTouche(b, b, 10.0, 150, t); }},
    };
    int failures = 0;
    for (const Case& c : cases) {
        Bitmap24 one = picture, many = picture;
        c.run(one, 1);
        c.run(many, 0);
        const bool same = one == many;
        if (!same) ++failures;
        const double t1 = timeOurs(picture, [&](Bitmap24& b) { c.run(b, 1); }, 2) * 1e3;
        const double tn = timeOurs(picture, [&](Bitmap24& b) { c.run(b, 0); }, 3) * 1e3;
        std::printf("  %-22s %12.1f %12.1f %8.3f%s\n", c.name, t1, tn, tn / t1, same ? "" : "   BYTES DIFFER");
        std::fflush(stdout);
    }
    std::printf("  (load average %.2f at the end)\n", loadAverage());
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--no-magick")) useMagick = false;
        else if (!std::strcmp(argv[i], "--width") && i + 1 < argc) W = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--height") && i + 1 < argc) H = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--threads-only")) return threadedDistortions();
    }
    if (useMagick && std::system("command -v convert >/dev/null 2>&1") != 0) {
        std::printf("ImageMagick's convert not found: timing our effects only\n");
        useMagick = false;
    }
    const double mp = W * double(H) / 1e6;
    std::printf("Picture %d x %d (%.1f megapixels), single-threaded\n", W, H, mp);
    const Bitmap24 picture = makeBenchPicture(W, H);

    char tmpl[] = "/tmp/quorbel-effects-bench-XXXXXX";
    if (useMagick) {
        if (!mkdtemp(tmpl)) return 1;
        dir = tmpl;
        FILE* policy = std::fopen((dir + "/policy.xml").c_str(), "w");
        std::fprintf(policy,
                     "<policymap>\n"
                     "  <policy domain=\"resource\" name=\"memory\" value=\"8GiB\"/>\n"
                     "  <policy domain=\"resource\" name=\"map\" value=\"8GiB\"/>\n"
                     "  <policy domain=\"resource\" name=\"area\" value=\"1GP\"/>\n"
                     "  <policy domain=\"resource\" name=\"disk\" value=\"16GiB\"/>\n"
                     "</policymap>\n");
        std::fclose(policy);
        setenv("MAGICK_CONFIGURE_PATH", dir.c_str(), 1);
        setenv("MAGICK_THREAD_LIMIT", "1", 1);
        setenv("OMP_NUM_THREADS", "1", 1);
        writePpm(picture, dir + "/in.ppm");
        runCommand("convert " + dir + "/in.ppm " + dir + "/in.mpc");
        magickBaseline = 1e30;
        for (int i = 0; i < 3; ++i) magickBaseline = std::min(magickBaseline, runCommand("convert " + dir + "/in.mpc null:"));
        std::printf("ImageMagick baseline (read + start): %.3f s, subtracted from its times\n", magickBaseline);
    }
    auto magick = [&](const std::string& op) { return useMagick ? timeMagick(op) : 0.0; };

    std::printf("\nTone and colour (target: 300 MP/s or more each)\n");
    const double modulate = magick("-modulate 120,150");
    const double posterize = magick("-posterize 4");
    auto tone = [&](const char* name, std::function<void(Bitmap24&)> f, const std::string& op, double im) {
        double t = timeOurs(picture, f, 3);
        add(name, t, op, im, ">= 300 MP/s", mp / t >= 300);
    };
    tone("Lightness 60", [](Bitmap24& b) { TvelPaintFX::Lightness(b, 60); }, "-modulate 120,150", modulate);
    tone("Contrast 80", [](Bitmap24& b) { TvelPaintFX::Contrast(b, 80); }, "", 0);
    tone("Saturation 400", [](Bitmap24& b) { TvelPaintFX::Saturation(b, 400); }, "-modulate 120,150", modulate);
    tone("Posterize 64", [](Bitmap24& b) { TvelPaintFX::Posterize(b, b, 64); }, "-posterize 4", posterize);
    tone("Solarize 128", [](Bitmap24& b) { TvelPaintFX::Solarize(b, b, 128); }, "", 0);
    tone("FilterXRed 1..128", [](Bitmap24& b) { TvelPaintFX::FilterXRed(b, 1, 128); }, "", 0);
    tone("AddColorNoise 60", [](Bitmap24& b) { SetRandSeed(1); TvelPaintFX::AddColorNoise(b, 60); }, "", 0);
    tone("AddMonoNoise 60", [](Bitmap24& b) { SetRandSeed(1); TvelPaintFX::AddMonoNoise(b, 60); }, "", 0);
    {
        const Bitmap24 second = picture;
        tone("BlendEffect 0.3", [&](Bitmap24& b) { TvelPaintFX::BlendEffect(b, second, b, 0.3); }, "", 0);
    }

    std::printf("\nBlur, emboss (target: faster than ImageMagick)\n");
    {
        // One pass of the four-point blur at distance 3 has a spread of 3 pixels; four passes, 6.
        const double b3 = magick("-blur 0x3"), b6 = magick("-blur 0x6");
        double t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::GaussianBlur(b, 0); });
        add("GaussianBlur 0 (1 pass)", t, "-blur 0x3", b3, "faster", !useMagick || t < b3);
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::GaussianBlur(b, 3); });
        add("GaussianBlur 3 (4 passes)", t, "-blur 0x6", b6, "faster", !useMagick || t < b6);
        const double em = magick("-emboss 1");
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::Emboss(b); });
        add("Emboss", t, "-emboss 1", em, "faster", !useMagick || t < em);
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::Mosaic(b, 15); }, 1);
        add("Mosaic 15", t, "", 0, "", true);
    }

    std::printf("\nDistortions (target: faster than ImageMagick)\n");
    {
        const double sw = magick("-swirl 180");
        double t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::Twist(b, b, 20, 1); }, 1);
        add("Twist 20 (swirl-like)", t, "-swirl 180", sw, "faster", !useMagick || t < sw);
        const double im = magick("-implode 0.5");
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::FishEye(b, b, 0.5, 1); }, 1);
        add("FishEye 0.5 (implode-like)", t, "-implode 0.5", im, "faster", !useMagick || t < im);
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::Rotate(b, b, W / 2, H / 2, 30.0, 1); }, 1);
        add("Rotate 30", t, "", 0, "", true);
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::Wave(b, 40, 0, 0); }, 1);
        add("Wave 40", t, "", 0, "", true);
        t = timeOurs(picture, [](Bitmap24& b) { TvelPaintFX::WingsWavy(b, b, 30.0, 200, 1); }, 1);
        add("WingsWavy 30, 200", t, "", 0, "", true);
    }

    std::printf("\nResampling (target: Mitchell to half size under 0.3 s)\n");
    {
        const double rs = magick("-filter Mitchell -resize 50%");
        double best = 1e30;
        for (int i = 0; i < 3; ++i) {
            Bitmap24 half(W / 2, H / 2);
            auto t0 = Clock::now();
            ResampleStretch(picture, half, &MitchellFilter, 2.0f);
            best = std::min(best, seconds(t0, Clock::now()));
        }
        add("ResampleStretch Mitchell to 50%", best, "-filter Mitchell -resize 50%", rs, "< 0.3 s", best < 0.3);
    }

    if (useMagick) runCommand("rm -rf " + dir);
    int missed = 0;
    for (const Row& r : rows) missed += r.met ? 0 : 1;
    std::printf("\n%s\n", missed ? "Some targets were NOT met." : "Every target met.");
    const int threadFailures = threadedDistortions();
    return missed || threadFailures ? 1 : 0;
}
