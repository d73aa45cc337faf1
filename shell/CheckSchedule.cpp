#include "CheckSchedule.h"

#include <QTimer>

#include <charconv>

namespace vantle {

const char* const CheckIntervalKey = "check_interval_minutes";

namespace {

// A zero timer fires once the events queued before it are done: the start-up's own work
// comes first.
constexpr std::chrono::milliseconds FirstCheckDelay{0};

class TEventLoopTimer : public ICheckTimer {
 public:
  TEventLoopTimer() {
    FTimer.setSingleShot(true);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      if (OnFire) OnFire();
    });
  }
  void Arm(std::chrono::milliseconds after) override { FTimer.start(after); }
  void Disarm() override { FTimer.stop(); }

 private:
  QTimer FTimer;
};

}  // namespace

std::chrono::minutes CheckIntervalFrom(const std::optional<std::string>& setting) {
  if (!setting) return DefaultCheckInterval;
  int minutes = 0;
  const char* end = setting->data() + setting->size();
  const auto [stop, error] = std::from_chars(setting->data(), end, minutes);
  if (error != std::errc() || stop != end || minutes < 0) return DefaultCheckInterval;
  return std::chrono::minutes(minutes);
}

std::unique_ptr<ICheckTimer> EventLoopTimer() {
  return std::make_unique<TEventLoopTimer>();
}

TCheckSchedule::TCheckSchedule(std::chrono::minutes interval, std::unique_ptr<ICheckTimer> timer,
                               QObject* parent)
    : QObject(parent), FInterval(interval), FTimer(std::move(timer)) {
  FTimer->OnFire = [this] { Fired(); };
}

TCheckSchedule::~TCheckSchedule() {
  FTimer->Disarm();
}

void TCheckSchedule::Start() {
  FStarted = true;
  if (FInterval.count() > 0) FTimer->Arm(FirstCheckDelay);
}

void TCheckSchedule::SetInterval(std::chrono::minutes interval) {
  FInterval = interval;
  if (!FStarted) return;
  if (FInterval.count() > 0)
    FTimer->Arm(FInterval);
  else
    FTimer->Disarm();
}

void TCheckSchedule::Fired() {
  if (FInterval.count() > 0) FTimer->Arm(FInterval);
  emit CheckNow();
}

}  // namespace vantle
