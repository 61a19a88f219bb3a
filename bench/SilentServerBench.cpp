// The real main window (offscreen) beside a server that accepts connections and never
// answers: SILENT manual and SILENT scheduled tasks point at it, REAL tasks download from
// BASE-URL/r1.bin .. into FOLDER (the list lives there too). "Start all" is pressed once; for
// SECONDS the main thread's event-loop lateness is measured and a grid row is clicked every
// 2 s. The figures are printed at the end of the run even if the window never answers again.
// Usage: zv-silent-server-bench BASE-URL FOLDER SECONDS SILENT REAL
#include "ClickProbe.h"
#include "EventLoopLateness.h"
#include "Percentile.h"
#include "RealServices.h"
#include "SilentServer.h"

#include "app/MainFormU.h"
#include "tasks/TaskCodes.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"
#include "ui/TaskGrid.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace zv;
using namespace zv::bench;
using Steady = std::chrono::steady_clock;

namespace {

constexpr auto StartAllAfter = std::chrono::milliseconds(200);
constexpr auto FirstClickAfter = std::chrono::seconds(1);
constexpr auto ClickEvery = std::chrono::seconds(2);
// How long the window may take to close after the run before the program ends without it.
constexpr auto CloseLimit = std::chrono::seconds(5);
constexpr double LatenessGoalMs = 50;
constexpr double ClickGoalMs = 100;

struct Layout {
    int silent = 0; // manual rows 1..silent, scheduled rows after them
    int real = 0;   // after the scheduled rows
    int firstReal() const { return 2 * silent + 1; }
    int rowCount() const { return 2 * silent + real; }
};

// What the main thread reaches during the run, read by the reporting thread at its end.
struct Milestones {
    std::mutex mutex;
    std::optional<double> startAllSeconds;  // how long the command held the main thread
    std::vector<double> realDoneSeconds;    // after Start all was pressed
};

double secondsSince(Steady::time_point begin)
{
    return std::chrono::duration<double>(Steady::now() - begin).count();
}

void addRow(TaskTable& table, const std::string& name, const std::string& url, const std::string& folder,
            const std::string& schedule)
{
    const int row = table.appendRow();
    table.setCell(ColStatus, row, std::string(Status::New));
    table.setCell(ColProcess, row, std::string(Process::Idle));
    table.setCell(ColFileName, row, name);
    table.setCell(ColSize, row, "0 Byte");
    table.setCell(ColSizeLoaded, row, "0 Byte");
    table.setCell(ColUrl, row, url);
    table.setCell(ColPath, row, folder);
    table.setCell(ColSchedule, row, schedule);
}

// "m1.bin", "s2.bin", ...
std::string fileName(char kind, int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "%c%d.bin", kind, index);
    return name;
}

void writeList(const Layout& layout, int silentPort, const std::string& baseUrl, const std::string& folder,
               const FormatSettings& formats)
{
    const std::string silentUrl = "http://127.0.0.1:" + std::to_string(silentPort) + "/";
    // Long past: due at every tick.
    const std::string past = formats.formatDate({2020, 1, 1}) + " " + formats.formatTime({1, 0, 0, 0});
    TaskTable table;
    table.writeHeader();
    for (int index = 1; index <= layout.silent; ++index)
        addRow(table, fileName('m', index), silentUrl + fileName('m', index), folder, std::string(Schedule::None));
    for (int index = 1; index <= layout.silent; ++index)
        addRow(table, fileName('s', index), silentUrl + fileName('s', index), folder, past);
    for (int index = 1; index <= layout.real; ++index)
        addRow(table, fileName('r', index), baseUrl + "/" + fileName('r', index), folder, std::string(Schedule::None));
    TaskListWriter::writeList(table, folder + "/vt_tasks.log");
}

// The main window as main() builds it.
std::unique_ptr<TMainForm> makeMainForm(RealServices& services, TaskSession& session, const std::string& folder)
{
    return std::make_unique<TMainForm>(session, services.forMainForm(folder));
}

// Notes, on the main thread, when each real row is done.
void watchRealRows(TMainForm& form, const Layout& layout, Steady::time_point pressed, Milestones& milestones)
{
    auto* watch = new QTimer(&form);
    auto seen = std::make_shared<std::vector<bool>>(layout.real, false);
    QObject::connect(watch, &QTimer::timeout, [&form, &layout, &milestones, pressed, seen] {
        for (int index = 0; index < layout.real; ++index) {
            if ((*seen)[index] || form.table().cell(ColStatus, layout.firstReal() + index) != Status::Done)
                continue;
            (*seen)[index] = true;
            const std::lock_guard lock(milestones.mutex);
            milestones.realDoneSeconds.push_back(secondsSince(pressed));
        }
    });
    watch->start(50);
}

void pressStartAll(TMainForm& form, const Layout& layout, Milestones& milestones)
{
    const auto pressed = Steady::now();
    watchRealRows(form, layout, pressed, milestones);
    form.Startall1Click();
    const std::lock_guard lock(milestones.mutex);
    milestones.startAllSeconds = secondsSince(pressed);
}

std::string millisecondsOrNever(double ms, double runSeconds)
{
    if (std::isinf(ms))
        return "> run length (" + std::to_string(static_cast<int>(runSeconds)) + " s)";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

struct Report {
    double runSeconds = 0;
    std::vector<double> lateness;
    std::vector<double> clicks;
    int accepted = 0;
};

void printLateness(const char* what, const std::vector<double>& samples)
{
    std::printf("event-loop lateness %s, %zu samples: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", what, samples.size(),
                percentile(samples, 0.5), percentile(samples, 0.99), percentile(samples, 1.0));
}

void printReport(const Report& report, const Layout& layout, Milestones& milestones)
{
    const std::vector<double> atEveryStep = EventLoopLateness::atEveryStep(report.lateness);
    const double latenessP99 = std::max(percentile(report.lateness, 0.99), percentile(atEveryStep, 0.99));
    const double clickMax = percentile(report.clicks, 1.0);
    std::size_t answered = 0;
    for (double delay : report.clicks)
        answered += std::isinf(delay) ? 0 : 1;
    printLateness("per tick (as the load bench)", report.lateness);
    printLateness("at every 10 ms step", atEveryStep);
    std::printf("clicks on a grid row answered: %zu of %zu; p50 %s, max %s\n", answered, report.clicks.size(),
                millisecondsOrNever(percentile(report.clicks, 0.5), report.runSeconds).c_str(),
                millisecondsOrNever(clickMax, report.runSeconds).c_str());
    std::printf("connections the silent server accepted: %d\n", report.accepted);
    {
        const std::lock_guard lock(milestones.mutex);
        if (milestones.startAllSeconds)
            std::printf("Start all held the main thread: %.3f s\n", *milestones.startAllSeconds);
        else
            std::printf("Start all held the main thread: > run length\n");
        std::printf("real downloads done in the run: %zu of %d", milestones.realDoneSeconds.size(), layout.real);
        if (!milestones.realDoneSeconds.empty())
            std::printf(", the last %.2f s after Start all", milestones.realDoneSeconds.back());
        std::printf("\n");
    }
    const bool met = latenessP99 < LatenessGoalMs && clickMax < ClickGoalMs && !report.clicks.empty();
    std::printf("goal (p99 under %.0f ms, every click within %.0f ms): %s\n", LatenessGoalMs, ClickGoalMs,
                met ? "met" : "MISSED");
    std::fflush(stdout);
}

// The reporting thread: clicks the two rows in turn every 2 s, prints the figures at the end
// of the run, then asks the window to close; a window that does not answer that is left.
void clickAndReport(ClickProbe& clicks, EventLoopLateness& lateness, const SilentServer& silent,
                    const Layout& layout, Milestones& milestones, Steady::time_point begin,
                    std::chrono::seconds runLength, std::future<void> closed)
{
    const auto end = begin + runLength;
    bool second = false;
    for (auto next = begin + FirstClickAfter; next < end; next += ClickEvery) {
        std::this_thread::sleep_until(next);
        clicks.click(second ? 2 : 1);
        second = !second;
    }
    std::this_thread::sleep_until(end);
    const Report report{static_cast<double>(runLength.count()), lateness.samplesUntil(end), clicks.delaysUntil(end),
                        silent.accepted()};
    printReport(report, layout, milestones);
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    if (closed.wait_for(CloseLimit) == std::future_status::timeout) {
        std::printf("the window did not close within %lld s of the end of the run: ended without it\n",
                    static_cast<long long>(CloseLimit.count()));
        std::fflush(stdout);
        std::_Exit(3);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s BASE-URL FOLDER SECONDS SILENT REAL\n", argv[0]);
        return 2;
    }
    const std::string baseUrl = argv[1];
    const std::string folder = argv[2];
    const std::chrono::seconds runLength(std::stoi(argv[3]));
    const Layout layout{std::stoi(argv[4]), std::stoi(argv[5])};
    if (layout.silent < 2) {
        std::fprintf(stderr, "SILENT must be at least 2: manual rows 1 and 2 are clicked\n");
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const SilentServer silent;
    RealServices services;
    writeList(layout, silent.port(), baseUrl, folder, services.formats());
    TaskSession session(services.forSession(folder));
    std::unique_ptr<TMainForm> form = makeMainForm(services, session, folder);
    form->show();
    // The clicked rows are manual ones, which the schedule never makes current.
    form->table().setCurrentRow(layout.rowCount());
    ClickProbe clicks(*form->GridOfFiles);

    Milestones milestones;
    EventLoopLateness lateness;
    lateness.start();
    const auto begin = Steady::now();
    QTimer::singleShot(StartAllAfter, form.get(), [&] { pressStartAll(*form, layout, milestones); });
    std::promise<void> closed;
    std::thread reporter(clickAndReport, std::ref(clicks), std::ref(lateness), std::cref(silent), std::cref(layout),
                         std::ref(milestones), begin, runLength, closed.get_future());
    QApplication::exec();
    form.reset();
    closed.set_value();
    reporter.join();
    return 0;
}
