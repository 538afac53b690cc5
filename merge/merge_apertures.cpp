// Placeholder until the merge lands.
#include "merge_apertures.h"

namespace Module1 {
void MergeApertures(const std::filesystem::path&, const std::filesystem::path&, const std::filesystem::path&) {}
}  // namespace Module1
