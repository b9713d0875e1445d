#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "service/worker_log.h"

namespace quorv {
namespace {

// The files of a worker log in memory: the current one and the old ones, newest first, moved
// aside as the plan says.
struct Files {
  std::string current;
  std::deque<std::string> old;
  unsigned keep;
  uint64_t maxSize;

  void write(std::string_view data) {
    for (const LogWriteStep& step : planLogWrite(data, current.size(), maxSize)) {
      if (step.rotateBefore) {
        old.push_front(current);
        if (old.size() > keep) old.pop_back();
        current.clear();
      }
      current.append(data.substr(step.offset, step.length));
    }
  }
  std::string all() const {
    std::string text;
    for (auto it = old.rbegin(); it != old.rend(); ++it) text += *it;
    return text + current;
  }
};

TEST(WorkerLog, RotationKeepsEveryByteOnce) {
  // Numbered lines of varying length, in chunks that do not follow the lines.
  std::string stream;
  for (int i = 0; stream.size() < 200000; ++i) stream += "line " + std::to_string(i) + std::string(i % 97, 'x') + "\n";
  for (uint64_t maxSize : {uint64_t{1000}, uint64_t{4096}, uint64_t{65536}}) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{333}, std::size_t{8192}}) {
      Files files{{}, {}, 3, maxSize};
      for (std::size_t at = 0; at < stream.size(); at += chunk) files.write(std::string_view(stream).substr(at, chunk));
      SCOPED_TRACE(testing::Message() << "max " << maxSize << " chunk " << chunk);
      ASSERT_EQ(files.old.size(), 3u);
      // What the kept files hold is the end of the stream, unchanged.
      const std::string kept = files.all();
      ASSERT_EQ(stream.substr(stream.size() - kept.size()), kept);
      for (const std::string& file : files.old) EXPECT_LE(file.size(), maxSize);
      EXPECT_LE(files.current.size(), maxSize);
    }
  }
}

TEST(WorkerLog, ChunksOfWholeLinesAreCutBetweenLines) {
  // A worker that writes whole lines (one or many per write) never has one cut in two.
  Files files{{}, {}, 1000, 700};
  std::string all;
  for (int i = 0; i < 3000; ++i) {
    std::string chunk;
    for (int n = 0; n < i % 13 + 1; ++n) chunk += "row " + std::to_string(i) + "." + std::to_string(n) + std::string(i % 31, '-') + "\n";
    files.write(chunk);
    all += chunk;
  }
  ASSERT_GT(files.old.size(), 10u);
  EXPECT_EQ(files.all(), all);
  for (const std::string& file : files.old) {
    EXPECT_LE(file.size(), 700u);
    EXPECT_EQ(file.back(), '\n');
  }
}

TEST(WorkerLog, LinesLongerThanTheLimitAreSplitAtTheLimit) {
  Files files{{}, {}, 10, 10};
  files.write("abc\n");
  files.write("0123456789012345");  // no line feed: a fresh file for it, split at 10
  files.write("x\n");
  ASSERT_EQ(files.old.size(), 2u);
  EXPECT_EQ(files.old[1], "abc\n");
  EXPECT_EQ(files.old[0], "0123456789");
  EXPECT_EQ(files.current, "012345x\n");

  Files unlimited{{}, {}, 2, 0};
  unlimited.write(std::string(100000, 'y'));
  EXPECT_TRUE(unlimited.old.empty());
  EXPECT_EQ(unlimited.current.size(), 100000u);
}

TEST(WorkerLog, RotationMovesOldestFirst) {
  using Moves = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(rotationMoves("logs\\service.log", 3),
            (Moves{{"logs\\service.log.2", "logs\\service.log.3"},
                   {"logs\\service.log.1", "logs\\service.log.2"},
                   {"logs\\service.log", "logs\\service.log.1"}}));
  EXPECT_EQ(rotationMoves("a.log", 1), (Moves{{"a.log", "a.log.1"}}));
  EXPECT_TRUE(rotationMoves("a.log", 0).empty());
}

TEST(WorkerLog, SettingsTakeDefaultsForWhatDoesNotRead) {
  EXPECT_FALSE(workerLogSettings("", "1MB", "2"));
  auto s = workerLogSettings("logs\\service.log", "", "");
  ASSERT_TRUE(s);
  EXPECT_EQ((std::tuple{s->path, s->maxSize, s->keep}), (std::tuple{std::string("logs\\service.log"), uint64_t{10} << 20, 5u}));
  s = workerLogSettings("w.log", "64KB", "0");
  EXPECT_EQ((std::tuple{s->maxSize, s->keep}), (std::tuple{uint64_t{65536}, 0u}));
  s = workerLogSettings("w.log", "64 KB", "1000");
  EXPECT_EQ((std::tuple{s->maxSize, s->keep}), (std::tuple{uint64_t{10} << 20, 5u}));
}

TEST(WorkerLog, OwnLinesNeverContinueAWorkerLine) {
  const LogTime t{2026, 12, 1, 9, 5, 7};
  EXPECT_EQ(workerStartedLine(t, 4242, true), "[2026-12-01 09:05:07] worker started, process id 4242\r\n");
  EXPECT_EQ(workerEndedLine(t, 0, true, true), "[2026-12-01 09:05:07] worker ended, exit code 0, after a stop request\r\n");
  EXPECT_EQ(workerEndedLine(t, 3221225477u, false, false),
            "\r\n[2026-12-01 09:05:07] worker ended, exit code 3221225477, on its own\r\n");
  EXPECT_EQ(outputDroppedLine(t, 123456789012ull, true),
            "[2026-12-01 09:05:07] 123456789012 bytes of worker output dropped: the log could not be written\r\n");
  EXPECT_EQ(stopTimedOutLine(t, 30000, false),
            "\r\n[2026-12-01 09:05:07] worker did not end within 30000 ms of the stop request: ending it\r\n");
}

}  // namespace
}  // namespace quorv
