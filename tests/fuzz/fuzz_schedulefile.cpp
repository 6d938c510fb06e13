// Feeds arbitrary bytes to the schedule file reader, as a file from disk
// would reach it.

#include "schedulefile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Relative wave names are completed with a folder that does not exist,
    // so the reader's look-ups for them find nothing.
    static const QStringList programDirectory{QStringLiteral("/nonexistent-parlowen-fuzz/")};
    const ScheduleFile::LoadResult result = ScheduleFile::Parse(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), programDirectory);
    // Every record holds its six cells; none can come from nothing.
    if (qsizetype(result.rows.size()) > qsizetype(size))
        __builtin_trap();
    return 0;
}
