#include "packet_bench.h"

namespace testing_support {

PacketBench::PacketBench() : m_previousUi(framework::InstallUi(&ui)) {
    platform::Seams seams = platform::Current();
    seams.processes = &launcher;
    seams.textFiles = &textFiles;
    m_withoutKitSeams = platform::Install(seams);
}

PacketBench::~PacketBench() {
    platform::Install(m_withoutKitSeams);
    framework::InstallUi(m_previousUi);
}

}  // namespace testing_support
