// What the service process publishes and /query prints.
#include <gtest/gtest.h>

#include <string>

#include "service/status.h"

namespace quorv {
namespace {

TEST(ServiceStatus, PublishedTextReadsBackAndIgnoresWhatIsNotOurs) {
  PublishedStatus status;
  status.processId = 4242;
  status.started = "2026-12-11T08:00:00Z";
  status.workerPid = 4310;
  status.restarts = 2;
  status.lastExitCode = 3;
  status.lastRestart = "2026-12-11T09:15:02Z";
  status.lastRestartCause = "exit";
  status.ready = true;
  const PublishedStatus back = parseStatusText(statusText(status));
  EXPECT_EQ(back.processId, 4242u);
  EXPECT_EQ(back.started, status.started);
  EXPECT_EQ(back.workerPid, std::optional<uint32_t>(4310));
  EXPECT_EQ(back.restarts, 2u);
  EXPECT_EQ(back.lastExitCode, std::optional<uint32_t>(3));
  EXPECT_EQ(back.lastRestart, status.lastRestart);
  EXPECT_EQ(back.lastRestartCause, "exit");
  EXPECT_TRUE(back.ready);
  // Values that do not read are left out, so that /query shows null rather than anything made up.
  const PublishedStatus odd =
      parseStatusText("pid=12\nstarted=yesterday\nworker=-1\nexit=3x\ncause=\"}\nrestart=2026-12-11T09:15:02\n");
  EXPECT_EQ(odd.processId, 12u);
  EXPECT_EQ(odd.started, "");
  EXPECT_FALSE(odd.workerPid.has_value());
  EXPECT_FALSE(odd.lastExitCode.has_value());
  EXPECT_EQ(odd.lastRestartCause, "");
  EXPECT_EQ(odd.lastRestart, "");
}

TEST(ServiceStatus, QueryLineAndExitStatus) {
  QueryAnswer missing{"Odd \"name\"\\\x01\xe9", "not-installed", std::nullopt, std::nullopt};
  EXPECT_EQ(queryJson(missing),
            "{\"name\": \"Odd \\\"name\\\"\\\\\\u0001\\u00e9\", \"state\": \"not-installed\", \"pid\": null, "
            "\"worker_pid\": null, \"started\": null, \"restarts\": 0, \"last_exit_code\": null, "
            "\"last_restart\": null, \"last_restart_cause\": null, \"ready\": false}");
  PublishedStatus status;
  status.processId = 7;
  status.started = "2026-12-11T08:00:00Z";
  status.restarts = 1;
  status.lastExitCode = 0;
  status.lastRestartCause = "hung";
  status.ready = true;
  EXPECT_EQ(queryJson({"svc", "running", 7, status}),
            "{\"name\": \"svc\", \"state\": \"running\", \"pid\": 7, \"worker_pid\": null, "
            "\"started\": \"2026-12-11T08:00:00Z\", \"restarts\": 1, \"last_exit_code\": 0, \"last_restart\": null, "
            "\"last_restart_cause\": \"hung\", \"ready\": true}");
  for (auto [scm, name, exit] : {std::tuple{1u, "stopped", 3}, std::tuple{2u, "start-pending", 0},
                                 std::tuple{3u, "stop-pending", 0}, std::tuple{4u, "running", 0},
                                 std::tuple{7u, "running", 0}}) {
    EXPECT_EQ(stateName(scm), name);
    EXPECT_EQ(queryExitStatus(name), exit);
  }
  EXPECT_EQ(queryExitStatus("not-installed"), 1);
}

}  // namespace
}  // namespace quorv
