#include "framework/cmd_target.h"

const MessageMap* CCmdTarget::GetMessageMap() const {
    static const MessageMap map{nullptr, nullptr, 0};
    return &map;
}

const MessageMapEntry* CCmdTarget::Find(UINT message, UINT code, UINT id) const {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const MessageMapEntry& entry = map->entries[i];
            if (entry.message != message) continue;
            if (message == WM_COMMAND && (entry.code != code || entry.id != id)) continue;
            return &entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::DispatchCommand(UINT code, UINT id) {
    const MessageMapEntry* entry = Find(WM_COMMAND, code, id);
    if (entry == nullptr || entry->handler == nullptr) return false;
    (this->*(entry->handler))();
    return true;
}

bool CCmdTarget::DispatchMessage(UINT message, LRESULT* result) {
    const MessageMapEntry* entry = Find(message, 0, 0);
    if (entry == nullptr) return false;
    if (entry->cursorHandler != nullptr) {
        HCURSOR cursor = (this->*(entry->cursorHandler))();
        if (result != nullptr) *result = reinterpret_cast<LRESULT>(cursor);
    } else if (entry->handler != nullptr) {
        (this->*(entry->handler))();
        if (result != nullptr) *result = 0;
    }
    return true;
}
