// The parts of the merge's door to the operating system that are the same on every platform.
#include "file_system.h"

#include <cerrno>

namespace Module1 {

int CloseFile(FilePtr& file)
{
    errno = 0;
    const int result = std::fclose(file.release());
    return result == 0 ? 0 : (errno != 0 ? errno : EIO);
}

}  // namespace Module1
