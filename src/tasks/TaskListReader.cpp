#include "tasks/TaskListReader.h"

#include "platform/files/AtomicFileWriter.h"
#include "platform/files/ByteSource.h"
#include "platform/files/InputFile.h"
#include "tasks/InOutError.h"
#include "tasks/TaskListFormat.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace zv {

namespace {

constexpr std::size_t ReadSize = 64 * 1024;
// A count line longer than this is skipped past after its first bytes.
constexpr std::size_t MaxCountLine = 4096;
constexpr long long CountCap = 1'000'000'000'000'000LL;

bool isBlank(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\r';
}

// The lines of a byte source, read as they are needed.
class LineReader {
public:
    explicit LineReader(ByteSource& source) : m_source(source), m_buffer(ReadSize, '\0') {}

    // The next line without its LF or CR LF; past the end, an empty text. Only the first
    // keep bytes are kept, the rest of the line is skipped.
    std::string next(std::size_t keep = std::string::npos)
    {
        std::string line;
        m_lastEnded = false;
        m_lastFound = false;
        while (m_pos < m_end || fill()) {
            const char* start = m_buffer.data() + m_pos;
            const char* stop = m_buffer.data() + m_end;
            const char* lineEnd = std::find(start, stop, '\n');
            const auto length = static_cast<std::size_t>(lineEnd - start);
            m_lastFound = true;
            line.append(start, std::min(length, keep - std::min(keep, line.size())));
            m_pos += length;
            if (lineEnd != stop) {
                ++m_pos;
                m_lastEnded = true;
                break;
            }
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

    // Whether the line last read was ended by LF (a line past the end is not).
    bool lastLineEnded() const { return m_lastEnded; }
    // Whether the line last read held a byte at all: a last line without its line end is
    // still there, a line past the end is not.
    bool lastLineFound() const { return m_lastFound; }

private:
    bool fill()
    {
        if (m_atEnd)
            return false;
        m_pos = 0;
        m_end = m_source.read(m_buffer.data(), m_buffer.size());
        m_atEnd = m_end == 0;
        return !m_atEnd;
    }

    ByteSource& m_source;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    bool m_lastEnded = false;
    bool m_lastFound = false;
};

long long readCount(LineReader& lines)
{
    return TaskListReader::parseCount(lines.next(MaxCountLine));
}

// Empties every task row and gives the table the new row count; the current row stays
// where it was when it is still a task row, else it moves to the last one.
void takeEmptyRows(TaskTable& table, int rowCount)
{
    const int current = table.currentRow();
    table.setRowCount(1);
    table.setRowCount(rowCount);
    table.setCurrentRow(std::min(current, rowCount - 1));
}

// Each returns false when the list ended before its last cell line.
// Each also sets *trailer (when given) to the ended line after the last cell.
bool readLines(TaskTable& table, ByteSource& source, bool whole, std::optional<std::string>* trailer)
{
    LineReader lines(source);
    const std::string first = lines.next(MaxCountLine);
    // A write in place that never finished: its cells may stand over older ones.
    if (first.starts_with(AtomicFileWriter::UnfinishedMark))
        throw InOutError::incompleteList();
    const long long columns = TaskListReader::parseCount(first);
    if (columns <= 1)
        return !whole;
    if (columns != ListFileColumns)
        throw InOutError::wrongColumnCount(columns);
    const long long rows = std::max(readCount(lines), 1LL);
    if (rows > TaskTable::MaxRowCount)
        throw InOutError::tooManyTasks(rows - 1);
    takeEmptyRows(table, static_cast<int>(rows));
    for (int column = 0; column < ListFileColumns; ++column) {
        for (int row = 1; row < rows; ++row)
            table.setCell(column, row, lines.next());
    }
    // Lines are read in order, so a missing line anywhere leaves the last one missing too;
    // a last line without its line end is whole.
    if (!lines.lastLineFound())
        return false;
    if (trailer && lines.lastLineEnded()) {
        std::string after = lines.next();
        if (lines.lastLineEnded())
            *trailer = std::move(after);
    }
    return true;
}

bool readSource(TaskTable& table, ByteSource& source, bool whole, std::optional<std::string>* trailer)
{
    try {
        return readLines(table, source, whole, trailer);
    } catch (const std::system_error& error) {
        throw InOutError::fromSystemError(error);
    }
}

bool readFile(TaskTable& table, const std::string& fileName, bool whole,
              std::optional<std::string>* trailer)
{
    try {
        InputFile file(fileName);
        return readSource(table, file, whole, trailer);
    } catch (const std::system_error& error) {
        throw InOutError::fromSystemError(error);
    }
}

} // namespace

void TaskListReader::read(TaskTable& table, ByteSource& source)
{
    readSource(table, source, false, nullptr);
}

void TaskListReader::readList(TaskTable& table, const std::string& fileName)
{
    readFile(table, fileName, false, nullptr);
}

void TaskListReader::readWhole(TaskTable& table, ByteSource& source)
{
    if (!readSource(table, source, true, nullptr))
        throw InOutError::incompleteList();
}

void TaskListReader::readWholeList(TaskTable& table, const std::string& fileName)
{
    if (!readFile(table, fileName, true, nullptr))
        throw InOutError::incompleteList();
}

std::optional<std::string> TaskListReader::readWholeListWithTrailer(TaskTable& table, const std::string& fileName)
{
    std::optional<std::string> trailer;
    if (!readFile(table, fileName, true, &trailer))
        throw InOutError::incompleteList();
    return trailer;
}

bool TaskListReader::readListCheckingEnd(TaskTable& table, const std::string& fileName)
{
    return readFile(table, fileName, false, nullptr);
}

long long TaskListReader::parseCount(std::string_view line)
{
    const auto begin = std::find_if_not(line.begin(), line.end(), isBlank);
    std::string_view token(begin, std::find_if(begin, line.end(), isBlank));
    if (token.empty())
        return 0;
    const bool negative = token.front() == '-';
    if (token.front() == '-' || token.front() == '+')
        token.remove_prefix(1);
    if (token.empty())
        throw InOutError::invalidNumericInput();
    long long value = 0;
    for (const char digit : token) {
        if (digit < '0' || digit > '9')
            throw InOutError::invalidNumericInput();
        value = std::min(value * 10 + (digit - '0'), CountCap);
    }
    return negative ? -value : value;
}

} // namespace zv
