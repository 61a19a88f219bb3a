#pragma once

#include "transfer/LinkBatch.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The bytes a later start sends the running copy for a batch of links. Each field is its key,
// its length and its bytes, so that no value needs escaping; the running copy takes any
// message it cannot read whole as none.
namespace zv::LinkMessage {

inline constexpr int Version = 1;
// 300 links of the longest kind with room; a longer message is dropped unread.
inline constexpr std::size_t MaxSize = 4 * 1024 * 1024;

std::string encode(const LinkBatch& batch);
// nullopt for a message of another version, cut short, over MaxSize or otherwise malformed.
std::optional<LinkBatch> decode(std::string_view message);

} // namespace zv::LinkMessage
