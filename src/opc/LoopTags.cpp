#include "opc/LoopTags.h"

namespace {

// Row of each role, in the order of TagRole.
constexpr std::array<int, TagRoleCount> Rows = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12,
                                                14, 15, 16, 17, 18, 19};

} // namespace

int RoleRow(TagRole role)
{
    return Rows[static_cast<std::size_t>(role)];
}

std::optional<TagRole> RoleAtRow(int row)
{
    for (TagRole role : AllTagRoles) {
        if (RoleRow(role) == row)
            return role;
    }
    return std::nullopt;
}
