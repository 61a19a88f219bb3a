#pragma once

#include "platform/files/OutputFile.h"
#include "support/Gate.h"

#include <memory>

namespace zv::test {

// A destination whose opening blocks in the gate, as an open that no interrupt reaches
// (a hung network file system, say), then opens the real file.
class GatedOutputFile final : public OutputFile {
public:
    explicit GatedOutputFile(std::shared_ptr<Gate> gate) : m_gate(std::move(gate)) {}

    OpenResult create(const std::string& path) override
    {
        m_gate->pass();
        return OutputFile::create(path);
    }
    OpenResult openAtEnd(const std::string& path) override
    {
        m_gate->pass();
        return OutputFile::openAtEnd(path);
    }

private:
    std::shared_ptr<Gate> m_gate;
};

} // namespace zv::test
