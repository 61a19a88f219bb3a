#include "transfer/ParallelCopy.h"

#include "platform/files/OutputFile.h"
#include "platform/services/Clock.h"
#include "platform/services/InternetSession.h"
#include "platform/services/InternetSessionFactory.h"
#include "transfer/LimitedReads.h"
#include "transfer/Retries.h"

#include <algorithm>
#include <vector>

namespace zv {

namespace {

using Kind = FailureReason::Kind;

bool isBusy(const FailureReason& failure)
{
    return failure.kind == Kind::HttpStatus && (failure.status == 429 || failure.status == 503);
}

std::chrono::steady_clock::rep ticksFromNow(std::chrono::seconds wait)
{
    return (std::chrono::steady_clock::now() + wait).time_since_epoch().count();
}

} // namespace

ParallelCopy::ParallelCopy(const WorkerServices& services, Interrupter& stop, OutputFile& file, PiecePlan& plan,
                           Setup setup, Watchers watchers)
    : m_services(services), m_stop(stop), m_file(file), m_plan(plan), m_setup(std::move(setup)),
      m_watchers(std::move(watchers)), m_server(ServerBudget::serverOf(m_setup.url)),
      m_wanted(std::max(1, m_setup.connections)), m_stopping(m_stop.subscribe([this] { interruptAll(); }))
{
}

ParallelCopy::~ParallelCopy()
{
    m_stopping.reset();
    finish(End::Stopped);
}

ParallelCopy::Result ParallelCopy::run(UrlStream& first, PiecePlan::Range firstRange)
{
    start(&first, firstRange, m_services.servers ? m_services.servers->take(m_server) : nullptr);
    startMore();
    auto keptMap = std::chrono::steady_clock::now();
    std::optional<End> end;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, Watch, [this] { return m_connectionEnded || m_quit; });
            m_connectionEnded = false;
        }
        reap();
        if ((end = endNow()))
            break;
        judgePace();
        startMore();
        int count = 0;
        {
            const std::lock_guard lock(m_mutex);
            count = delivering();
        }
        if (m_watchers.progress)
            m_watchers.progress(count);
        if (m_watchers.keepMap && std::chrono::steady_clock::now() - keptMap >= MapEvery) {
            m_watchers.keepMap();
            keptMap = std::chrono::steady_clock::now();
        }
    }
    finish(*end);
    if (m_watchers.progress)
        m_watchers.progress(1);
    if (m_watchers.keepMap)
        m_watchers.keepMap();
    return {*end, *end == End::ConnectionsFailed ? m_lastFailure : FailureReason{}};
}

std::optional<ParallelCopy::End> ParallelCopy::endNow()
{
    if (m_stop.interrupted())
        return End::Stopped;
    if (m_fileFailed)
        return End::FileFailed;
    if (m_otherVersion)
        return End::OtherVersion;
    if (m_plan.allFinished())
        return End::Whole;
    if (m_noneLeft)
        return End::ConnectionsFailed;
    return std::nullopt;
}

void ParallelCopy::start(UrlStream* first, PiecePlan::Range firstRange, std::unique_ptr<ServerBudget::Lease> lease)
{
    auto connection = std::make_unique<Connection>();
    connection->id = ConnectionId{m_nextId++};
    connection->lease = std::move(lease);
    connection->first = first;
    connection->firstRange = firstRange;
    Connection& started = *connection;
    const std::lock_guard lock(m_mutex);
    m_connections.push_back(std::move(connection));
    started.thread = std::thread([this, &started] { serve(started); });
}

void ParallelCopy::serve(Connection& connection)
{
    FailureReason failure;
    try {
        failure = deliver(connection);
    } catch (const std::exception& error) {
        failure = FailureReason::of(Kind::Other, error.what());
    } catch (...) {
        failure = FailureReason::of(Kind::Other, "an exception");
    }
    m_plan.giveBack(connection.id);
    m_pace.rest(connection.id, m_services.clock.steadyNow());
    {
        const std::lock_guard lock(m_mutex);
        connection.failure = std::move(failure);
        connection.ended = true;
        m_connectionEnded = true;
    }
    m_changed.notify_all();
}

void ParallelCopy::reap()
{
    const std::lock_guard lock(m_mutex);
    bool failedAlone = false;
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        Connection& connection = **it;
        if (!connection.ended) {
            ++it;
            continue;
        }
        connection.thread.join();
        if (connection.failure.failed() && connection.failure.kind != Kind::Interrupted) {
            m_lastFailure = connection.failure;
            failedAlone = true;
        }
        it = m_connections.erase(it);
    }
    // A connection that failed while others deliver leaves its range to them; the last one
    // ends the copy, and the run's own retries decide what follows.
    m_noneLeft = failedAlone && delivering() == 0;
}

void ParallelCopy::judgePace()
{
    const std::vector<ConnectionId> slow = m_pace.farSlower(m_services.clock.steadyNow());
    if (slow.empty())
        return;
    const std::lock_guard lock(m_mutex);
    for (const auto& connection : m_connections) {
        if (connection->cut || connection->ended || std::find(slow.begin(), slow.end(), connection->id) == slow.end())
            continue;
        // Its range goes to a faster connection; a stalled read is broken where it can be.
        connection->cut = true;
        m_plan.cutShort(connection->id);
        connection->interrupter.interrupt();
    }
}

void ParallelCopy::startMore()
{
    while (std::optional<std::unique_ptr<ServerBudget::Lease>> place = nextPlace())
        start(nullptr, {}, std::move(*place));
}

std::optional<std::unique_ptr<ServerBudget::Lease>> ParallelCopy::nextPlace()
{
    int count = 0;
    {
        const std::lock_guard lock(m_mutex);
        count = delivering();
    }
    const bool waiting = std::chrono::steady_clock::now().time_since_epoch().count() < m_notBefore;
    if (count >= m_wanted || waiting || !m_plan.hasWork())
        return std::nullopt;
    std::unique_ptr<ServerBudget::Lease> lease = m_services.servers ? m_services.servers->take(m_server) : nullptr;
    // The download's own connection goes on without a place of the budget; the others need one.
    if (!lease && count > 0 && m_services.servers)
        return std::nullopt;
    return lease;
}

int ParallelCopy::delivering() const
{
    return static_cast<int>(std::count_if(m_connections.begin(), m_connections.end(),
                                          [](const auto& connection) { return !connection->ended && !connection->cut; }));
}

void ParallelCopy::finish(End end)
{
    m_quit = true;
    interruptAll();
    // A connection still reading the run's own answer hears only the worker's stop; the run
    // makes no further request once its file is whole or its file failed.
    if (end == End::Whole || end == End::FileFailed)
        m_stop.interrupt();
    std::list<std::unique_ptr<Connection>> connections;
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& connection : m_connections)
            m_plan.cutShort(connection->id);
        connections.swap(m_connections);
    }
    for (const auto& connection : connections)
        connection->thread.join();
}

void ParallelCopy::interruptAll()
{
    const std::lock_guard lock(m_mutex);
    m_quit = true;
    for (const auto& connection : m_connections)
        connection->interrupter.interrupt();
    m_changed.notify_all();
}

void ParallelCopy::notify()
{
    const std::lock_guard lock(m_mutex);
    m_connectionEnded = true;
    m_changed.notify_all();
}

bool ParallelCopy::goesOn(Connection& connection, std::uint64_t at)
{
    while (!m_plan.extend(connection.id, at)) {
        const std::optional<ConnectionId> holder = m_plan.holderOf(at);
        if (!holder || answered(*holder) || !connection.interrupter.sleepFor(std::chrono::milliseconds(5)))
            return false;
    }
    return true;
}

bool ParallelCopy::answered(ConnectionId id) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [id](const auto& connection) { return connection->id == id; });
    return found == m_connections.end() || (*found)->answered;
}

bool ParallelCopy::stopping(const Connection& connection) const
{
    return m_quit || connection.interrupter.interrupted();
}

FailureReason ParallelCopy::deliver(Connection& connection)
{
    Retries retries(m_services.retries);
    std::unique_ptr<InternetSession> session;
    FailureReason failure;
    std::uint64_t bytes = 0;
    m_pace.record(connection.id, m_services.clock.steadyNow(), 0);
    UrlStream* answer = connection.first;
    std::uint64_t at = connection.firstRange.begin;
    while (!stopping(connection)) {
        std::unique_ptr<UrlStream> opened;
        if (!answer) {
            if (!session)
                session = m_services.internet.openSession(m_setup.agent, SessionUse::Download, &connection.interrupter);
            if (!session)
                return FailureReason::of(Kind::Other, "no Internet session");
            opened = openNext(connection, *session, retries, at, failure);
            if (!opened)
                break;
            answer = opened.get();
        }
        const std::uint64_t before = bytes;
        FailureReason broken;
        const AnswerEnd end = copyAnswer(connection, *answer, at, answer == connection.first, bytes, broken);
        answer = nullptr; // the run's own answer, too, is read no further
        if (bytes > before)
            retries.progressed();
        if (end == AnswerEnd::RangeDone)
            continue;
        if (end != AnswerEnd::Broken)
            break;
        m_plan.giveBack(connection.id);
        if (!retriesAfter(connection, retries, broken))
            return broken;
    }
    return failure;
}

std::unique_ptr<UrlStream> ParallelCopy::openNext(Connection& connection, InternetSession& session, Retries& retries,
                                                  std::uint64_t& at, FailureReason& failure)
{
    while (!stopping(connection)) {
        const std::optional<PiecePlan::Range> range = m_plan.take(connection.id);
        if (!range)
            return nullptr; // nothing left to take: the connection rests
        InternetSession::Part part = session.openPart(m_setup.url, range->begin, range->end - 1, m_setup.version);
        if (part.stream) {
            connection.answered = true;
            at = range->begin;
            return std::move(part.stream);
        }
        m_plan.giveBack(connection.id);
        if (part.failure.kind == Kind::ChangedFile) {
            m_otherVersion = true;
            notify();
            return nullptr;
        }
        if (part.failure.kind == Kind::WrongPart) {
            // This server's parts cannot be trusted: fewer connections for the rest of the run.
            fewer();
            failure = std::move(part.failure);
            return nullptr;
        }
        if (isBusy(part.failure)) {
            serverBusy(part.failure);
            std::lock_guard lock(m_mutex);
            if (delivering() > 1)
                return nullptr; // the others go on; this one's place is given up
        }
        if (!retriesAfter(connection, retries, part.failure)) {
            failure = std::move(part.failure);
            return nullptr;
        }
    }
    return nullptr;
}

void ParallelCopy::serverBusy(const FailureReason& failure)
{
    if (m_services.servers)
        m_services.servers->busy(m_server);
    m_notBefore = ticksFromNow(failure.retryAfter.value_or(std::chrono::seconds(1)));
}

void ParallelCopy::fewer()
{
    int wanted = m_wanted;
    while (wanted > 1 && !m_wanted.compare_exchange_weak(wanted, wanted - 1)) {
    }
}

bool ParallelCopy::retriesAfter(Connection& connection, Retries& retries, const FailureReason& failure)
{
    if (stopping(connection))
        return false;
    const auto wait = retries.after(failure);
    if (!wait)
        return false;
    const bool waited = m_services.waitBeforeRetry ? m_services.waitBeforeRetry(*wait, connection.interrupter)
                                                   : connection.interrupter.sleepFor(*wait);
    return waited && !stopping(connection);
}

ParallelCopy::AnswerEnd ParallelCopy::copyAnswer(Connection& connection, UrlStream& answer, std::uint64_t at,
                                                 bool extendable, std::uint64_t& bytes, FailureReason& broken)
{
    LimitedReads reads(m_services.speed.get(), connection.interrupter);
    std::vector<char> block(BlockSize);
    for (;;) {
        const std::size_t allowed = stopping(connection) ? 0 : reads.allowed(block.size());
        if (allowed == 0)
            return AnswerEnd::Stopped;
        const std::size_t count = answer.read(block.data(), allowed);
        if (count == 0) {
            if (!m_plan.remaining(connection.id))
                return AnswerEnd::RangeDone;
            broken = answer.failure();
            if (!broken.failed())
                broken = FailureReason::of(Kind::ShortAnswer, "a part ended early");
            return stopping(connection) ? AnswerEnd::Stopped : AnswerEnd::Broken;
        }
        for (std::size_t done = 0; done < count;) {
            std::size_t may = m_plan.mayWrite(connection.id, at, count - done);
            // The run's own answer goes on into free bytes after its range; any other byte
            // beyond the range is another connection's.
            if (may == 0 && extendable && goesOn(connection, at))
                may = m_plan.mayWrite(connection.id, at, count - done);
            if (may == 0)
                return AnswerEnd::RangeDone;
            if (!m_file.writeAt(at, block.data() + done, may)) {
                m_plan.giveBack(connection.id);
                m_fileFailed = true;
                notify();
                return AnswerEnd::FileFailed;
            }
            m_plan.wrote(connection.id, at, may);
            at += may;
            done += may;
            bytes += may;
        }
        m_pace.record(connection.id, m_services.clock.steadyNow(), bytes);
    }
}

} // namespace zv
