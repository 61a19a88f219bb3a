// Any bytes as a task list: the reader either refuses them or fills the table within its
// limits, and what it read is a list the writer writes and the reader takes back whole.
#include "ByteStreams.h"
#include "tasks/InOutError.h"
#include "tasks/TaskListReader.h"
#include "tasks/TaskListWriter.h"
#include "tasks/TaskTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace zv;
using zv::test::MemorySource;
using zv::test::StringSink;

std::string written(const TaskTable& table)
{
    StringSink sink;
    TaskListWriter::write(table, sink);
    return sink.text;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the piece size; the rest is the file.
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    TaskTable table;
    table.writeHeader();
    MemorySource source(std::string(bytes), piece);
    bool refused = false;
    try {
        TaskListReader::read(table, source);
    } catch (const InOutError&) {
        refused = true;
    }
    require(table.rowCount() >= 1 && table.rowCount() <= TaskTable::MaxRowCount);
    require(table.currentRow() >= 0 && table.currentRow() < table.rowCount());
    require(table.cell(0, 0) == "Status");
    if (refused)
        return 0;

    // Written and read back whole, the table comes out the same, and so do its bytes.
    const std::string once = written(table);
    TaskTable again;
    again.writeHeader();
    MemorySource writtenSource(once, piece);
    TaskListReader::readWhole(again, writtenSource);
    require(written(again) == once);
    for (int row = 1; row < table.rowCount(); ++row) {
        for (int column = 0; column < TaskTable::ColumnCount; ++column) {
            const std::string& cell = table.cell(column, row);
            // Only a CR or LF inside a cell is changed on the way out.
            if (cell.find_first_of("\r\n") == std::string::npos)
                require(again.cell(column, row) == cell);
        }
    }
    return 0;
}
