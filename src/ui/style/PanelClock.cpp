#include "ui/style/PanelClock.h"

namespace PanelClock {
namespace {
std::optional<QDateTime> g_fixed;
}

QDateTime now() { return g_fixed ? *g_fixed : QDateTime::currentDateTime(); }

void setFixedNow(std::optional<QDateTime> moment) { g_fixed = std::move(moment); }

} // namespace PanelClock
