#include "packet_bench.h"

namespace testing_support {

PacketBench::PacketBench() {
    platform::Seams seams = platform::Current();
    seams.processes = &launcher;
    seams.textFiles = &textFiles;
    m_withoutKitSeams = platform::Install(seams);
}

PacketBench::~PacketBench() { platform::Install(m_withoutKitSeams); }

std::wstring PacketBench::PathInRoot(const std::wstring& relative) const {
    return root.Wide() + L"\\" + relative;
}

}  // namespace testing_support
