#pragma once

#include "platform/CurlTransfer.h"
#include "platform/UrlStream.h"

#include <memory>
#include <string>

namespace zv {

class Interrupter;

// A URL stream on libcurl: one transfer at a time, replaced by a range request on seek.
class CurlUrlStream final : public UrlStream {
public:
    // Null when no response arrived, or an HTTP status of 400 or above did.
    static std::unique_ptr<CurlUrlStream> open(const std::string& url, const TransferSettings& settings,
                                               Interrupter* interrupter);

    std::uint64_t dataAvailable() override;
    std::size_t read(char* buffer, std::size_t size) override;
    bool endedCleanly() const override;
    SeekResult setPosition(std::uint64_t offset) override;

    CurlUrlStream(std::string url, TransferSettings settings, Interrupter* interrupter,
                  std::unique_ptr<CurlTransfer> transfer);

private:
    SeekResult skipTo(std::uint64_t offset);
    SeekResult fail();

    std::string m_url;
    TransferSettings m_settings;
    Interrupter* m_interrupter;
    std::unique_ptr<CurlTransfer> m_transfer; // null once the stream cannot deliver more
    bool m_cleanEnd = false;                  // for a stream without transfer
    std::uint64_t m_position = 0;
};

} // namespace zv
