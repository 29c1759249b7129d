#pragma once

#include <QDateTime>

#include <optional>

// The present moment as the views show it ("today" in copy times). Tests and snapshots fix it,
// so that every picture is the same from run to run.
namespace PanelClock {

QDateTime now();
void setFixedNow(std::optional<QDateTime> moment);

} // namespace PanelClock
