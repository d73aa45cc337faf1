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

using namespace std::chrono;

// A timer on a clock the test moves; it fires when the clock passes the time armed.
class TTestTimer : public ICheckTimer {
 public:
  void Arm(milliseconds after) override { FDue = Now + after; }
  void Disarm() override { FDue.reset(); }
  void MoveOn(minutes by) {
    for (minutes passed = 0min; passed <= by; passed += 1min, Now += 1min) {
      if (FDue && *FDue <= Now) FDue.reset(), OnFire();
    }
    Now -= 1min;
  }
  milliseconds Now{0};

 private:
  std::optional<milliseconds> FDue;
};

// Something done to the schedule, then the checks counted since its start.
struct TMove {
  enum { Start, Wait, Interval } what;
  minutes amount;
  int checks;
};

TEST(CheckSchedule, ChecksOnceAfterStartThenEveryInterval) {
  using M = TMove;
  // clang-format off
  const std::vector<std::tuple<std::string, minutes, std::vector<TMove>>> cases = {
      {"nothing before the start, even with an interval set, then at once and after each one",
       30min, {{M::Interval, 30min, 0}, {M::Wait, 600min, 0}, {M::Start, 0min, 1},
        {M::Wait, 29min, 1}, {M::Wait, 1min, 2}, {M::Wait, 30min, 3}}},
      {"turned off, no more checks", 30min,
       {{M::Start, 0min, 1}, {M::Interval, 0min, 1}, {M::Wait, 600min, 1}}},
      {"a new interval counts from when it is set", 30min,
       {{M::Start, 0min, 1}, {M::Wait, 20min, 1}, {M::Interval, 5min, 1}, {M::Wait, 4min, 1},
        {M::Wait, 1min, 2}, {M::Wait, 5min, 3}}},
      {"an interval of 0 never checks, until one is set", 0min,
       {{M::Start, 0min, 0}, {M::Wait, 600min, 0}, {M::Interval, 15min, 0}, {M::Wait, 15min, 1}}},
  };
  // clang-format on
  for (const auto& [name, interval, moves] : cases) {
    SCOPED_TRACE(name);
    auto owned = std::make_unique<TTestTimer>();
    TTestTimer& timer = *owned;
    TCheckSchedule schedule(interval, std::move(owned));
    int checks = 0;
    QObject::connect(&schedule, &TCheckSchedule::CheckNow, [&checks] { ++checks; });
    for (const TMove& move : moves) {
      if (move.what == M::Start) schedule.Start();
      if (move.what == M::Interval) schedule.SetInterval(move.amount);
      timer.MoveOn(move.what == M::Wait ? move.amount : 0min);
      EXPECT_EQ(checks, move.checks) << "at minute " << timer.Now.count() / 60000;
    }
  }
}

TEST(CheckSchedule, ReadsItsIntervalFromTheSettingAndFiresFromTheEventLoop) {
  const std::vector<std::pair<std::optional<std::string>, minutes>> cases = {
      {std::nullopt, 30min}, {"0", 0min},   {"15", 15min},  {"", 30min},
      {"ten", 30min},        {"-5", 30min}, {"15 ", 30min}, {"99999999999", 30min},
  };
  for (const auto& [setting, interval] : cases)
    EXPECT_EQ(CheckIntervalFrom(setting), interval) << setting.value_or("(none)");

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
