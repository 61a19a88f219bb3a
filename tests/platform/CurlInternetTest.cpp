#include "platform/net/CurlHandles.h"
#include "platform/net/CurlSessionFactory.h"
#include "platform/net/CurlTransfer.h"
#include "platform/threads/Interrupter.h"
#include "support/TestCertificate.h"
#include "support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zv;
using namespace zv::test;
using namespace std::chrono_literals;

namespace {

InternetLimits quickLimits(std::chrono::milliseconds silence = 5s)
{
    return InternetLimits{2s, silence, 5s};
}

std::string readAll(UrlStream& stream)
{
    std::string bytes;
    char block[1024];
    while (const std::size_t count = stream.read(block, sizeof block))
        bytes.append(block, count);
    return bytes;
}

// A port on 127.0.0.1 that is taken but not listened on: connections to it are refused.
class RefusingPort {
public:
    RefusingPort() : m_socket(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(m_socket); }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int port() const { return m_port; }

private:
    int m_socket;
    int m_port = 0;
};

class CurlInternet : public ::testing::Test {
protected:
    std::unique_ptr<UrlStream> open(const std::string& url, SessionUse use = SessionUse::Download,
                                    Interrupter* interrupter = nullptr)
    {
        auto session = factory.openSession("Zare Vantrel", use, interrupter);
        EXPECT_NE(session, nullptr);
        return session ? session->openUrl(url) : nullptr;
    }

    TestServer server;
    CurlSessionFactory factory{quickLimits()};
    const std::string body = TestServer::pattern(10'000);
};

} // namespace

TEST_F(CurlInternet, SendsOnlyAcceptAllAndTheAgent)
{
    server.serve("/f.bin", body);
    auto stream = open(server.url("/f.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), body);
    const auto requests = server.requestsFor("/f.bin");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Accept"), "*/*");
    EXPECT_EQ(requests[0].header("User-Agent"), "Zare Vantrel");
    EXPECT_EQ(requests[0].header("Range"), "");
    EXPECT_EQ(requests[0].header("Accept-Encoding"), "");
}

TEST_F(CurlInternet, ReadsEveryFramingToACleanEnd)
{
    for (const BodyFraming framing : {BodyFraming::Length, BodyFraming::Chunked, BodyFraming::Close}) {
        TestResource resource;
        resource.body = body;
        resource.framing = framing;
        resource.chunkSize = 3000;
        server.serve("/f.bin", resource);
        auto stream = open(server.url("/f.bin"));
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(readAll(*stream), body) << static_cast<int>(framing);
        EXPECT_TRUE(stream->endedCleanly()) << static_cast<int>(framing);
        EXPECT_EQ(stream->read(nullptr, 0), 0u);
    }
}

TEST_F(CurlInternet, ALargeBodyArrivesWholeThroughSmallReads)
{
    // Far more than is held at once, so receiving pauses and resumes many times.
    TestResource resource;
    resource.body = TestServer::pattern(3'000'000);
    resource.chunkSize = 64 * 1024;
    server.serve("/large.bin", resource);
    auto stream = open(server.url("/large.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), resource.body);
    EXPECT_TRUE(stream->endedCleanly());
}

TEST_F(CurlInternet, DataAvailableIsTheAnnouncedSizeElseWhatIsHeld)
{
    server.serve("/f.bin", body);
    EXPECT_EQ(open(server.url("/f.bin"))->dataAvailable(), body.size());

    TestResource unannounced;
    unannounced.body = body;
    unannounced.framing = BodyFraming::Chunked;
    unannounced.chunkSize = 3000;
    unannounced.stallAt = 3000; // only the first chunk can arrive
    server.serve("/chunked.bin", unannounced);
    auto stream = open(server.url("/chunked.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->dataAvailable(), 3000u);
    server.releaseStalls();
}

TEST_F(CurlInternet, AnnouncedSizesBeyondFourGiBAreKept)
{
    TestResource huge;
    huge.generatedLength = 5ull * 1024 * 1024 * 1024 + 7;
    server.serve("/huge.iso", huge);
    auto stream = open(server.url("/huge.iso"), SessionUse::Probe);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->dataAvailable(), huge.generatedLength);
}

TEST_F(CurlInternet, AnErrorStatusFailsTheOpenEvenWithABody)
{
    server.serve("/missing.bin", TestResource::page(404, "<html>not here</html>"));
    server.serve("/busy.bin", TestResource::page(503, "<html>busy</html>"));
    EXPECT_EQ(open(server.url("/missing.bin")), nullptr);
    EXPECT_EQ(open(server.url("/busy.bin")), nullptr);
    EXPECT_EQ(open(server.url("/never-served")), nullptr);
}

TEST_F(CurlInternet, AFinalRedirectOrAPartOfTheResourceIsNoAnswer)
{
    server.serve("/choices.bin", TestResource::page(300, "<html>choose</html>"));
    server.serve("/odd.bin", TestResource::page(399, "<html>odd</html>"));
    server.serve("/nowhere.bin", TestResource::page(302, "<html>moved, but not said where</html>"));
    for (const char* path : {"/choices.bin", "/odd.bin", "/nowhere.bin"})
        EXPECT_EQ(open(server.url(path)), nullptr) << path;

    // A 206 nobody asked for is the resource only when it covers all of it.
    TestResource part;
    part.body = body;
    part.partialFrom = 500;
    server.serve("/part.bin", part);
    EXPECT_EQ(open(server.url("/part.bin")), nullptr);
    TestResource whole = part;
    whole.partialFrom = 0;
    server.serve("/whole.bin", whole);
    auto stream = open(server.url("/whole.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), body);
}

TEST_F(CurlInternet, FollowsAtMostTenRedirects)
{
    server.serve("/target.bin", body);
    for (int hop = 1; hop <= 11; ++hop)
        server.serve("/hop" + std::to_string(hop),
                     TestResource::redirect(hop == 1 ? "/target.bin" : "/hop" + std::to_string(hop - 1)));
    auto tenHops = open(server.url("/hop10"));
    ASSERT_NE(tenHops, nullptr);
    EXPECT_EQ(readAll(*tenHops), body);
    EXPECT_EQ(open(server.url("/hop11")), nullptr);
}

TEST_F(CurlInternet, FetchesOnlyHttpAndHttpsAlsoAfterRedirects)
{
    EXPECT_EQ(open("file:///etc/hostname"), nullptr);
    EXPECT_EQ(open("ftp://127.0.0.1:" + std::to_string(server.port()) + "/f.bin"), nullptr);
    EXPECT_EQ(open("gopher://127.0.0.1/"), nullptr);
    EXPECT_EQ(open("127.0.0.1/f.bin"), nullptr);
    for (const char* target : {"file:///etc/hostname", "ftp://127.0.0.1/f.bin", "dict://127.0.0.1/x"}) {
        server.serve("/away", TestResource::redirect(target));
        EXPECT_EQ(open(server.url("/away")), nullptr) << target;
    }
    server.serve("/f.bin", body);
    EXPECT_NE(open("HTTP://127.0.0.1:" + std::to_string(server.port()) + "/f.bin"), nullptr);
}

TEST_F(CurlInternet, ADroppedConnectionEndsUncleanly)
{
    for (const BodyFraming framing : {BodyFraming::Length, BodyFraming::Chunked}) {
        TestResource resource;
        resource.body = body;
        resource.framing = framing;
        resource.dropAt = 4000;
        server.serve("/f.bin", resource);
        auto stream = open(server.url("/f.bin"));
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(readAll(*stream), body.substr(0, 4000));
        EXPECT_FALSE(stream->endedCleanly());
        EXPECT_EQ(stream->failure().kind, FailureReason::Kind::CutShort);
    }
}

TEST_F(CurlInternet, SilenceLongerThanTheLimitEndsUncleanly)
{
    CurlSessionFactory impatient(quickLimits(200ms));
    TestResource resource;
    resource.body = body;
    resource.stallAt = 2000;
    server.serve("/f.bin", resource);
    auto stream = impatient.openSession("Zare Vantrel", SessionUse::Download)->openUrl(server.url("/f.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), body.substr(0, 2000));
    EXPECT_EQ(stream->failure().kind, FailureReason::Kind::Silence);
    EXPECT_TRUE(server.stalling());
}

TEST_F(CurlInternet, AProbeGivesUpAfterItsLimit)
{
    CurlSessionFactory impatient(InternetLimits{2s, 60s, 300ms});
    TestResource resource;
    resource.body = body;
    resource.stallAt = 0; // headers, then silence
    server.serve("/f.bin", resource);
    EXPECT_EQ(impatient.openSession("Vantrel", SessionUse::Probe)->openUrl(server.url("/f.bin")), nullptr);
    EXPECT_TRUE(server.stalling());
}

TEST_F(CurlInternet, AnInterruptEndsABlockedReadWhileTheServerIsSilent)
{
    CurlSessionFactory patient(quickLimits(60s));
    TestResource resource;
    resource.body = body;
    resource.stallAt = 2000;
    server.serve("/f.bin", resource);
    Interrupter interrupter;
    auto stream = patient.openSession("Zare Vantrel", SessionUse::Download, &interrupter)->openUrl(server.url("/f.bin"));
    ASSERT_NE(stream, nullptr);
    std::thread stopper([&] {
        server.waitUntilStalling();
        interrupter.interrupt();
    });
    const std::string received = readAll(*stream);
    const bool stillStalling = server.stalling();
    stopper.join();
    EXPECT_EQ(received, body.substr(0, 2000));
    EXPECT_EQ(stream->failure().kind, FailureReason::Kind::Interrupted);
    EXPECT_TRUE(stillStalling);
}

TEST_F(CurlInternet, AnInterruptedSessionOpensNothing)
{
    server.serve("/f.bin", body);
    Interrupter interrupter;
    interrupter.interrupt();
    EXPECT_EQ(open(server.url("/f.bin"), SessionUse::Download, &interrupter), nullptr);
}

TEST_F(CurlInternet, SetPositionAsksForTheRestWithARangeRequest)
{
    server.serve("/f.bin", body);
    auto stream = open(server.url("/f.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->setPosition(3000), SeekResult::Continues);
    EXPECT_EQ(readAll(*stream), body.substr(3000));
    EXPECT_TRUE(stream->endedCleanly());
    const auto requests = server.requestsFor("/f.bin");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].header("Range"), "bytes=3000-");
    EXPECT_EQ(requests[1].header("Accept"), "*/*");
}

TEST_F(CurlInternet, SetPositionTakesAWholeAnswerFromItsFirstByteWhenTheServerIgnoresRanges)
{
    TestResource resource;
    resource.body = body;
    resource.ranges = false;
    server.serve("/f.bin", resource);
    auto stream = open(server.url("/f.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->setPosition(3000), SeekResult::StartsAfresh);
    EXPECT_EQ(readAll(*stream), body);
    EXPECT_TRUE(stream->endedCleanly());
}

TEST_F(CurlInternet, SetPositionAtTheFullLengthIsACleanEnd)
{
    server.serve("/f.bin", body);
    auto stream = open(server.url("/f.bin"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->setPosition(body.size()), SeekResult::AlreadyWhole);
    EXPECT_EQ(readAll(*stream), "");
    EXPECT_TRUE(stream->endedCleanly());
}

TEST_F(CurlInternet, WhereTheServerCannotGoOnTheResourcesTotalDecides)
{
    const auto resume = [&](const std::string& path, std::uint64_t offset) {
        return factory.openSession("Zare Vantrel", SessionUse::Download)->resumeUrl(server.url(path), offset);
    };
    // A resource shorter than the partial file is another file: a 416 telling its total, or a
    // server without ranges whose resource shrank.
    server.serve("/f.bin", body);
    EXPECT_EQ(resume("/f.bin", body.size() + 1).failure.kind, FailureReason::Kind::ChangedFile);
    TestResource shorter;
    shorter.body = body.substr(0, 2000);
    shorter.ranges = false;
    server.serve("/short.bin", shorter);
    const auto shrunk = resume("/short.bin", 3000);
    EXPECT_EQ(shrunk.position, SeekResult::Failed);
    EXPECT_EQ(shrunk.failure.kind, FailureReason::Kind::ChangedFile);
    EXPECT_FALSE(shrunk.failure.transient());

    // A 206 from before the offset is skipped up to it; one from after it is another total.
    TestResource early;
    early.body = body;
    early.rangesFrom = 1000;
    server.serve("/early.bin", early);
    auto skipped = resume("/early.bin", 3000);
    ASSERT_EQ(skipped.position, SeekResult::Skipped);
    EXPECT_EQ(readAll(*skipped.stream), body.substr(3000));
    TestResource late = early;
    late.rangesFrom = 5000;
    server.serve("/late.bin", late);
    auto restarted = resume("/late.bin", 3000);
    ASSERT_EQ(restarted.position, SeekResult::StartsAfresh);
    EXPECT_EQ(readAll(*restarted.stream), body);

    // A 416 without its total: one fresh request tells it, or nothing can be learned.
    TestResource silent;
    silent.body = body;
    silent.rangeTotals = false;
    server.serve("/silent.bin", silent);
    EXPECT_EQ(resume("/silent.bin", body.size()).position, SeekResult::AlreadyWhole);
    EXPECT_EQ(server.requestsFor("/silent.bin").size(), 2u);
    silent.framing = BodyFraming::Chunked;
    server.serve("/silent.bin", silent);
    const auto unknown = resume("/silent.bin", body.size());
    EXPECT_EQ(unknown.position, SeekResult::Failed);
    EXPECT_EQ(unknown.failure.kind, FailureReason::Kind::WrongPart);
    EXPECT_FALSE(unknown.failure.transient());

    TestResource flaky;
    flaky.body = body;
    flaky.status = 503;
    server.serve("/flaky.bin", flaky);
    const auto busy = resume("/flaky.bin", 3000);
    EXPECT_EQ(busy.position, SeekResult::Failed);
    EXPECT_EQ(busy.failure.status, 503);
    EXPECT_TRUE(busy.failure.transient());
}

TEST_F(CurlInternet, AResumeOfAKnownFileTakesNoBytesOfAnotherVersion)
{
    const auto resume = [&](const std::string& path, std::uint64_t offset, const KnownFile& known) {
        return factory.openSession("Zare Vantrel", SessionUse::Download)->resumeUrl(server.url(path), offset, known);
    };
    KnownFile known;
    known.sameTotal = [&](std::uint64_t total) { return total == body.size(); };
    known.validator = "\"v1\"";

    // The range is asked for only if the version is still the first answer's.
    TestResource same;
    same.body = body;
    same.etag = "\"v1\"";
    server.serve("/f.bin", same);
    auto going = resume("/f.bin", 3000, known);
    ASSERT_EQ(going.position, SeekResult::Continues);
    EXPECT_EQ(readAll(*going.stream), body.substr(3000));
    EXPECT_EQ(server.requestsFor("/f.bin").back().header("If-Range"), "\"v1\"");

    // Another version of the same length comes whole (a 200 to If-Range) and starts afresh.
    TestResource newer = same;
    newer.body = TestServer::patternBytes(7, body.size());
    newer.etag = "\"v2\"";
    server.serve("/f.bin", newer);
    auto afresh = resume("/f.bin", 3000, known);
    ASSERT_EQ(afresh.position, SeekResult::StartsAfresh);
    EXPECT_EQ(readAll(*afresh.stream), newer.body);

    // Another total in a 206 is another file; a page in place of the file is a web page.
    server.serve("/bigger.bin", body + "more");
    EXPECT_EQ(resume("/bigger.bin", 3000, known).failure.kind, FailureReason::Kind::ChangedFile);
    TestResource page = TestResource::page(200, std::string(body.size(), 'x'));
    page.ranges = false;
    page.contentType = "text/html; charset=utf-8";
    server.serve("/page.bin", page);
    EXPECT_EQ(resume("/page.bin", 3000, known).failure.kind, FailureReason::Kind::WebPage);
    EXPECT_EQ(resume("/page.bin", 3000, {}).failure.kind, FailureReason::Kind::WebPage);
}

TEST_F(CurlInternet, EveryFailedOpenTellsItsReasonAndWhetherItMayHeal)
{
    using Kind = FailureReason::Kind;
    TestResource busy = TestResource::page(503, "busy");
    busy.retryAfter = "7";
    server.serve("/busy.bin", busy);
    TestResource slowDown = TestResource::page(429, "slow down");
    slowDown.retryAfter = "Wed, 21 Oct 2015 07:28:00 GMT"; // passed: no wait
    server.serve("/slow.bin", slowDown);
    server.serve("/gone.bin", TestResource::page(404, "gone"));
    server.serve("/nowhere.bin", TestResource::page(302, "moved, but not said where"));
    server.serve("/away", TestResource::redirect("ftp://127.0.0.1/f.bin"));
    const RefusingPort refusing;
    struct Case {
        std::string url;
        Kind kind;
        bool transient;
        int status = 0;
        std::optional<std::chrono::seconds> retryAfter = std::nullopt;
    };
    const std::vector<Case> cases = {
        {"http://127.0.0.1:" + std::to_string(refusing.port()) + "/f.bin", Kind::Connect, true},
        {"https://127.0.0.1:" + std::to_string(server.port()) + "/f.bin", Kind::TlsHandshake, true},
        {server.url("/busy.bin"), Kind::HttpStatus, true, 503, 7s},
        {server.url("/slow.bin"), Kind::HttpStatus, true, 429, 0s},
        {server.url("/gone.bin"), Kind::HttpStatus, false, 404},
        {server.url("/nowhere.bin"), Kind::Redirect, false},
        {server.url("/away"), Kind::Redirect, false},
        {"ftp://127.0.0.1/f.bin", Kind::Unsupported, false},
    };
    for (const Case& c : cases) {
        const auto session = factory.openSession("Zare Vantrel", SessionUse::Download);
        EXPECT_EQ(session->openUrl(c.url), nullptr) << c.url;
        const FailureReason failure = session->lastFailure();
        EXPECT_EQ(failure.kind, c.kind) << c.url << ": " << failure.text();
        EXPECT_EQ(failure.transient(), c.transient) << c.url;
        EXPECT_EQ(failure.status, c.status) << c.url;
        EXPECT_EQ(failure.retryAfter, c.retryAfter) << c.url;
    }
}

TEST_F(CurlInternet, ATypedUrlIsSentAsABrowserSendsIt)
{
    server.serve("/a b|c\"A.zip", body); // as the server decodes the path
    auto stream = open(server.url("/a b|c\"%41.zip"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), body);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, "/a%20b%7Cc%22%41.zip");

    for (const std::string& bad : {server.url("/f\r\nX-Injected: 1"), server.url("/f\n"), server.url("/f") + '\0'})
        EXPECT_EQ(open(bad), nullptr);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(CurlInternetProtocols, ALimitLibcurlRefusesIsReported)
{
    const curl::EasyHandle easy = curl::newEasyHandle();
    ASSERT_NE(easy, nullptr);
    EXPECT_TRUE(CurlTransfer::limitProtocols(easy.get(), "http,https"));
    EXPECT_FALSE(CurlTransfer::limitProtocols(easy.get(), "http,no-such-scheme"));
}

TEST(CurlInternetTls, ASelfSignedPeerIsTrustedOnlyThroughCurlCaBundle)
{
    TestServer server(TestServer::Scheme::Https);
    const std::string body = TestServer::pattern(5000);
    server.serve("/f.bin", body);
    CurlSessionFactory factory(quickLimits());

    ::unsetenv("CURL_CA_BUNDLE");
    const auto untrusting = factory.openSession("Vantrel", SessionUse::Probe);
    EXPECT_EQ(untrusting->openUrl(server.url("/f.bin")), nullptr);
    EXPECT_EQ(untrusting->lastFailure().kind, FailureReason::Kind::TlsCertificate);
    EXPECT_FALSE(untrusting->lastFailure().transient());

    ::setenv("CURL_CA_BUNDLE", TestCertificate::instance().bundlePath().c_str(), 1);
    auto stream = factory.openSession("Zare Vantrel", SessionUse::Download)->openUrl(server.url("/f.bin"));
    ::unsetenv("CURL_CA_BUNDLE");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), body);
    EXPECT_TRUE(stream->endedCleanly());
}

TEST(CurlInternetTls, HttpsIsNeverLeftForHttpAndAPasswordGoesOnlyToTheServerThatAsksForIt)
{
    TestServer secure(TestServer::Scheme::Https);
    TestServer plain;
    const std::string body = TestServer::pattern(5000);
    secure.serve("/f.bin", body);
    secure.serve("/moved", TestResource::redirect("/f.bin"));
    secure.serve("/down", TestResource::redirect(plain.url("/f.bin")));
    plain.serve("/f.bin", body);
    plain.serve("/elsewhere", TestResource::redirect(secure.url("/f.bin")));
    CurlSessionFactory factory(quickLimits());
    ::setenv("CURL_CA_BUNDLE", TestCertificate::instance().bundlePath().c_str(), 1);
    const auto open = [&](const std::string& url) {
        return factory.openSession("Zare Vantrel", SessionUse::Download)->openUrl(url);
    };
    EXPECT_NE(open(secure.url("/moved")), nullptr);
    const auto session = factory.openSession("Zare Vantrel", SessionUse::Download);
    EXPECT_EQ(session->openUrl(secure.url("/down")), nullptr);
    EXPECT_EQ(session->lastFailure().kind, FailureReason::Kind::InsecureRedirect) << session->lastFailure().text();
    EXPECT_EQ(session->lastFailure().plainText(), "the server redirected to an unencrypted http address");
    EXPECT_TRUE(plain.requests().empty());

    // A server that never asks for it gets no password (not even as Basic); followed to
    // another port, and to https, the password stays behind.
    const std::string withPassword = "http://user:secret@" + plain.url("/elsewhere").substr(7);
    EXPECT_NE(open(withPassword), nullptr);
    ::unsetenv("CURL_CA_BUNDLE");
    ASSERT_EQ(plain.requests().size(), 1u);
    EXPECT_EQ(plain.requests()[0].header("Authorization"), "");
    ASSERT_FALSE(secure.requests().empty());
    EXPECT_EQ(secure.requests().back().header("Authorization"), "");
}

TEST_F(CurlInternet, AServerAskingForDigestGetsItAndNeverThePasswordInTheClear)
{
    TestResource guarded;
    guarded.body = body;
    guarded.digestPassword = "secret";
    server.serve("/guarded.bin", guarded);
    const std::string address = "http://user:secret@" + server.url("/guarded.bin").substr(7);
    auto stream = open(address);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), body);
    const auto requests = server.requestsFor("/guarded.bin");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Authorization"), "");
    EXPECT_EQ(requests[1].header("Authorization").rfind("Digest ", 0), 0u);
    EXPECT_EQ(requests[1].header("Authorization").find("secret"), std::string::npos);
}

TEST(CurlInternetProxy, TheEnvironmentsProxyIsUsed)
{
    TestServer proxy;
    proxy.serve("http://zv-proxy-test.invalid/f.bin", std::string("through the proxy"));
    ::setenv("http_proxy", proxy.baseUrl().c_str(), 1);
    ::unsetenv("no_proxy");
    CurlSessionFactory factory(quickLimits());
    auto stream = factory.openSession("Zare Vantrel", SessionUse::Download)->openUrl("http://zv-proxy-test.invalid/f.bin");
    ::unsetenv("http_proxy");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readAll(*stream), "through the proxy");
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "http://zv-proxy-test.invalid/f.bin");
}

TEST_F(CurlInternet, APartIsTakenOnlyAsExactlyTheBytesAskedOfTheKnownVersionAndTotal)
{
    const auto part = [&](const std::string& path, std::uint64_t first, std::uint64_t last) {
        KnownFile known;
        known.sameTotal = [&](std::uint64_t total) { return total == body.size(); };
        known.validator = "\"v1\"";
        return factory.openSession("Zare Vantrel", SessionUse::Download)->openPart(server.url(path), first, last, known);
    };
    TestResource file;
    file.body = body;
    file.etag = "\"v1\"";
    server.serve("/f.bin", file);
    auto exact = part("/f.bin", 2000, 4999);
    ASSERT_NE(exact.stream, nullptr);
    EXPECT_EQ(readAll(*exact.stream), body.substr(2000, 3000));
    EXPECT_EQ(server.requestsFor("/f.bin").back().header("Range"), "bytes=2000-4999");
    EXPECT_EQ(server.requestsFor("/f.bin").back().header("If-Range"), "\"v1\"");

    // Each wrong answer closes only that connection; another version restarts the download.
    const auto failureFor = [&](const std::string& name, TestResource wrong) {
        server.serve("/" + name, wrong);
        const auto answer = part("/" + name, 2000, 4999);
        EXPECT_EQ(answer.stream, nullptr) << name;
        return answer.failure.kind;
    };
    using Kind = FailureReason::Kind;
    TestResource whole = file;
    whole.ranges = false;
    EXPECT_EQ(failureFor("whole", whole), Kind::WrongPart);
    TestResource elsewhere = file;
    elsewhere.rangesFrom = 1000;
    EXPECT_EQ(failureFor("elsewhere", elsewhere), Kind::WrongPart);
    TestResource otherTotal = file;
    otherTotal.totalTold = body.size() + 1;
    EXPECT_EQ(failureFor("other-total", otherTotal), Kind::WrongPart);
    TestResource newer = file;
    newer.etagChangesAt = 0;
    newer.laterEtag = "\"v2\"";
    EXPECT_EQ(failureFor("newer", newer), Kind::ChangedFile);
    TestResource ignoring = newer;
    ignoring.ignoresIfRange = true;
    EXPECT_EQ(failureFor("ignoring", ignoring), Kind::ChangedFile);
    EXPECT_EQ(failureFor("gone", TestResource::page(404, "gone")), Kind::HttpStatus);
}
