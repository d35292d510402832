#include "core/engine/time_page_client.h"

#include "core/net/time_page.h"

namespace horalux {

TimePageClient::TimePageClient(TcpNetwork& network, MessagePump& pump, Clock& clock, Files& files,
                               const SettingsLocation& location)
    : clock_(clock), location_(location), http_(network, pump, clock, files) {}

double TimePageClient::GetHttpTime() {
  // Never the current folder, which may be System32 or anyone's; nothing on
  // a medium that cannot be written.
  return horalux::GetHttpTime(
      http_, url_, clock_.local_time().year,
      location_.readOnlyMedium ? "" : location_.folder + kHeaderCopyFileName);
}

}  // namespace horalux
