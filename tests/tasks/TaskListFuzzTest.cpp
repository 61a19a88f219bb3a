#include "ListTables.h"
#include "tasks/InOutError.h"

#include <gtest/gtest.h>

#include <random>

using namespace zv;
using namespace zv::test;

namespace {

std::string randomBytes(std::mt19937& random, std::size_t length)
{
    // Line ends and digits are common, so that mutated files keep reaching the cells.
    static const std::string favoured = "\r\n\n0123456789 -+";
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned pick = random();
        bytes += pick % 3 == 0 ? favoured[(pick >> 8) % favoured.size()] : static_cast<char>(pick >> 16);
    }
    return bytes;
}

std::string validList(std::mt19937& random)
{
    TaskTable table;
    table.writeHeader();
    const int tasks = static_cast<int>(random() % 12);
    for (int row = 1; row <= tasks; ++row) {
        Cells cells;
        for (auto& cell : cells)
            cell = randomBytes(random, random() % 12);
        addTask(table, cells);
    }
    return listBytes(table);
}

std::string countLines(std::mt19937& random)
{
    static const char* counts[] = {"0", "1", "2", "10", "11", "-1", "255", "256", "300",
                                   "99999999999999999999999", "", "x", "+10", " 10 "};
    const auto pick = [&] { return std::string(counts[random() % std::size(counts)]); };
    return pick() + "\r\n" + pick() + "\n";
}

std::string mutated(std::mt19937& random, std::string bytes)
{
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int edit = 0; edit < edits; ++edit) {
        const std::size_t at = bytes.empty() ? 0 : random() % bytes.size();
        switch (random() % 5) {
        case 0: if (!bytes.empty()) bytes[at] = static_cast<char>(random()); break;
        case 1: bytes.insert(at, randomBytes(random, random() % 8)); break;
        case 2: bytes.erase(at, random() % 16); break;
        case 3: bytes.resize(at); break;
        default: bytes = countLines(random) + bytes.substr(at); break;
        }
    }
    return bytes;
}

} // namespace

TEST(TaskListFuzz, RandomAndMutatedListsKeepTheTableWithinItsLimits)
{
    std::mt19937 random(20070414);
    int refused = 0;
    int loaded = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string bytes = round % 4 == 0 ? randomBytes(random, random() % 200)
                                                 : mutated(random, validList(random));
        TaskTable table = tableWithTasks(static_cast<int>(random() % 4));
        table.setCurrentRow(table.taskCount());
        const auto before = rowsOf(table);
        MemorySource source(bytes, 1 + random() % 64);
        try {
            TaskListReader::read(table, source);
            ++loaded;
        } catch (const InOutError&) {
            ++refused;
            // A memory source never fails part-way: every refusal comes before any change.
            EXPECT_EQ(rowsOf(table), before) << round;
        }
        ASSERT_GE(table.rowCount(), 1);
        ASSERT_LE(table.rowCount(), TaskTable::MaxRowCount);
        ASSERT_TRUE(table.currentRow() == 0 || table.isTaskRow(table.currentRow()));
        ASSERT_EQ(table.cell(ColStatus, 0), "Status");
    }
    // Both outcomes were reached often enough for the run to mean something.
    EXPECT_GT(refused, 200);
    EXPECT_GT(loaded, 200);
}
