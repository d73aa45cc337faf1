#include <gtest/gtest.h>

#include <QSignalSpy>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "CheckSchedule.h"
#include "component_support.h"

namespace vantle {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::minutes;

// A timer on a clock the test moves.
class TTestTimer : public ICheckTimer {
 public:
  explicit TTestTimer(milliseconds& now) : FNow(now) {}
  void Arm(milliseconds after) override { FDue = FNow + after; }
  void Disarm() override { FDue.reset(); }
  // Fires when the clock passes the time armed.
  void Check() {
    if (FDue && *FDue <= FNow) {
      FDue.reset();
      OnFire();
    }
  }

 private:
  milliseconds& FNow;
  std::optional<milliseconds> FDue;
};

// Something done to the schedule, then the checks counted since its start.
struct TMove {
  enum { Start, Wait, Interval } what;
  minutes amount;
  int checks;
};

struct TScheduleCase {
  std::string name;
  minutes interval;
  std::vector<TMove> moves;
};

TEST(CheckSchedule, ChecksOnceAfterStartThenEveryInterval) {
  const std::vector<TScheduleCase> cases = {
      {"the first check comes at once, the next after each interval",
       30min,
       {{TMove::Start, 0min, 1},
        {TMove::Wait, 29min, 1},
        {TMove::Wait, 1min, 2},
        {TMove::Wait, 30min, 3}}},
      {"nothing before the start", 30min, {{TMove::Wait, 600min, 0}, {TMove::Start, 0min, 1}}},
      {"an interval of 0 never checks", 0min, {{TMove::Start, 0min, 0}, {TMove::Wait, 600min, 0}}},
      {"turned off after the first check, it checks no more",
       30min,
       {{TMove::Start, 0min, 1}, {TMove::Interval, 0min, 1}, {TMove::Wait, 600min, 1}}},
      {"a new interval counts from when it is set",
       30min,
       {{TMove::Start, 0min, 1},
        {TMove::Wait, 20min, 1},
        {TMove::Interval, 5min, 1},
        {TMove::Wait, 4min, 1},
        {TMove::Wait, 1min, 2},
        {TMove::Wait, 5min, 3}}},
      {"turned on after a start while off, it checks after the interval",
       0min,
       {{TMove::Start, 0min, 0}, {TMove::Interval, 15min, 0}, {TMove::Wait, 15min, 1}}},
  };
  for (const TScheduleCase& test : cases) {
    SCOPED_TRACE(test.name);
    milliseconds now{0};
    auto timer = std::make_unique<TTestTimer>(now);
    TTestTimer& clock = *timer;
    TCheckSchedule schedule(test.interval, std::move(timer));
    int checks = 0;
    QObject::connect(&schedule, &TCheckSchedule::CheckNow, [&checks] { ++checks; });
    for (size_t i = 0; i < test.moves.size(); ++i) {
      SCOPED_TRACE("move " + std::to_string(i));
      const TMove& move = test.moves[i];
      if (move.what == TMove::Start) schedule.Start();
      if (move.what == TMove::Interval) schedule.SetInterval(move.amount);
      // The clock moves a minute at a time, so that every firing on the way is seen.
      const minutes steps = move.what == TMove::Wait ? move.amount : 0min;
      clock.Check();
      for (minutes passed = 0min; passed < steps; ++passed) {
        now += 1min;
        clock.Check();
      }
      EXPECT_EQ(checks, move.checks);
    }
  }
}

TEST(CheckSchedule, ReadsItsIntervalFromTheSetting) {
  const std::vector<std::pair<std::optional<std::string>, minutes>> cases = {
      {std::nullopt, 30min}, {"0", 0min},   {"15", 15min},  {"", 30min},
      {"ten", 30min},        {"-5", 30min}, {"15 ", 30min}, {"99999999999", 30min},
  };
  for (const auto& [setting, interval] : cases) {
    SCOPED_TRACE(setting.value_or("(none)"));
    EXPECT_EQ(CheckIntervalFrom(setting), interval);
  }
}

TEST(CheckSchedule, FiresTheFirstCheckFromTheEventLoop) {
  TCheckSchedule schedule(30min);
  QSignalSpy checks(&schedule, &TCheckSchedule::CheckNow);
  schedule.Start();
  EXPECT_EQ(checks.count(), 0);
  EXPECT_TRUE(checks.wait(5000));
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
