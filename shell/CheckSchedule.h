#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vantle {

// The settings key of the background check's interval in minutes; 0 turns the check off.
extern const char* const CheckIntervalKey;
constexpr std::chrono::minutes DefaultCheckInterval{30};

// The interval a stored setting names: the default when there is none or it is no count of
// minutes.
std::chrono::minutes CheckIntervalFrom(const std::optional<std::string>& setting);

// A one-shot timer: Arm replaces any earlier arming; the schedule is told when it fires.
class ICheckTimer {
 public:
  virtual ~ICheckTimer() = default;
  virtual void Arm(std::chrono::milliseconds after) = 0;
  virtual void Disarm() = 0;
  // Called when the time armed has passed.
  std::function<void()> OnFire;
};

// A QTimer, firing from the event loop.
std::unique_ptr<ICheckTimer> EventLoopTimer();

// When the window checks every feed on its own: once when the event loop is first idle after
// Start (called after the first frame), then every interval. It only says when; what runs is
// the owner's.
class TCheckSchedule : public QObject {
  Q_OBJECT

 public:
  explicit TCheckSchedule(std::chrono::minutes interval,
                          std::unique_ptr<ICheckTimer> timer = EventLoopTimer(),
                          QObject* parent = nullptr);
  ~TCheckSchedule() override;

  // Schedules the first check; with the interval 0, none.
  void Start();
  // Takes a new interval: the next check comes that long from now, or never for 0.
  void SetInterval(std::chrono::minutes interval);

 signals:
  void CheckNow();

 private:
  void Fired();

  std::chrono::minutes FInterval;
  std::unique_ptr<ICheckTimer> FTimer;
  bool FStarted = false;
};

}  // namespace vantle
