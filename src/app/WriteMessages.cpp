#include "app/WriteMessages.h"

#include "modify/PluginWriter.h"

namespace vardel {

std::optional<UserMessage> WriteMessage(const WriteResult& result, const std::string& path)
{
    if (result.Written() || result.message.empty())
        return std::nullopt;
    switch (result.status) {
    case WriteStatus::ReadOnly: return UserMessage{MessageCode::FileReadOnly, result.message, path};
    case WriteStatus::ChangedOnDisk: return UserMessage{MessageCode::PluginChangedOnDisk, result.message, path};
    case WriteStatus::TooLong: return UserMessage{MessageCode::TextTooLong, result.message, path};
    default: return UserMessage{MessageCode::CommandRefused, result.message, path, result.code, result.arguments};
    }
}

}  // namespace vardel
