#include "settings/first_run_notice.h"

#include <cstdint>
#include <string>

#include "common/format.h"
#include "common/texts.h"
#include "host/host_services.h"
#include "settings/first_run_texts.h"

namespace {

// The standard dialog of the host that shows a notice and lets the user
// decide whether it comes again.
constexpr int NoticeDialog = 1668;
constexpr std::size_t NoticeSize = 304;

constexpr std::size_t Length(const char* text) { return std::char_traits<char>::length(text); }
static_assert(Length(Text::FirstRunNotice) - 2 + Length(Text::DisplayName) + 1 <= NoticeSize,
              "the notice buffer holds the notice");
static_assert(Length(Text::DisplayName) < 64, "the display name fits its buffer");

// The low 16 bits of the flag are what the user and the dialog decide.
int16_t Low16(int32_t flag) { return static_cast<int16_t>(flag & 0xFFFF); }

}  // namespace

int ShowFirstRunNotice() {
    int32_t flag = 0;
    const int read = AccessProfile(Text::ProfileFile, ProfileRead, Text::ProfileSection, Text::KeyDontAsk, "%d", &flag);
    if (!ProfileReadSucceeded(read)) flag = 0;
    else if (Low16(flag) != 0) return 0;

    char displayName[64];
    CopyDisplayName(displayName);
    char notice[NoticeSize];
    FormatText(notice, Text::FirstRunNotice, displayName);
    // The dialog sees the low half of the flag, the first two bytes on this
    // little-endian machine.
    HostRunStdDialog(NoticeDialog, reinterpret_cast<int16_t*>(&flag), 0, notice);
    AccessProfile(Text::ProfileFile, ProfileWrite, Text::ProfileSection, Text::KeyDontAsk, "%d",
                  static_cast<int>(Low16(flag)));
    return 0;
}
