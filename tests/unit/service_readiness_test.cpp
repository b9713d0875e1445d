// The readiness gate: its targets, its settings and the HTTP exchange of an http target.
#include <gtest/gtest.h>

#include <string>

#include "service/readiness.h"

namespace quorv {
namespace {

TEST(Readiness, TargetsReadAsTheyAreWritten) {
  struct Case {
    const char* text;
    bool allowNotify;
    const char* parsed;  // "KIND HOST PORT PATH", or nullptr when refused
  };
  const Case cases[] = {
      {"notify", true, "notify  0 "},
      {"notify", false, nullptr},  // nothing to wait for before the application runs
      {"tcp://db.example:5432", false, "tcp db.example 5432 "},
      {"tcp://127.0.0.1:1", false, "tcp 127.0.0.1 1 "},
      {"http://config.example/health", false, "http config.example 80 /health"},
      {"http://localhost:8080", true, "http localhost 8080 /"},
      {"http://h:8080/a/b?c=d", true, "http h 8080 /a/b?c=d"},
      {"tcp://db.example", false, nullptr},        // no port
      {"tcp://db.example:0", false, nullptr},      {"tcp://db.example:65536", false, nullptr},
      {"tcp://db.example:54x", false, nullptr},    {"tcp://db.example:5432/x", false, nullptr},  // no path for tcp
      {"https://h:443/", true, nullptr},           {"db.example:5432", false, nullptr},
      {"tcp://:5432", false, nullptr},             {"tcp://a..b:1", false, nullptr},
      {"tcp://a_b:1", false, nullptr},             {"http://h:80/a b", true, nullptr},
      {"Notify", true, nullptr},
  };
  for (const Case& c : cases) {
    std::string fault;
    const std::optional<ReadyTarget> target = parseReadyTarget(c.text, c.allowNotify, fault);
    if (c.parsed == nullptr) {
      EXPECT_FALSE(target.has_value()) << c.text;
      EXPECT_FALSE(fault.empty()) << c.text;
      continue;
    }
    ASSERT_TRUE(target.has_value()) << c.text << ": " << fault;
    const char* kinds[] = {"notify", "tcp", "http"};
    EXPECT_EQ(std::string(kinds[target->kind]) + " " + target->host + " " + std::to_string(target->port) + " " +
                  target->path,
              c.parsed);
  }
}

TEST(Readiness, SettingsWithDefaultsAndWithoutAGate) {
  std::string fault;
  EXPECT_FALSE(readinessSettingsOf("", "", "", fault).has_value());
  EXPECT_TRUE(fault.empty());
  const auto settings = readinessSettingsOf("notify", "", "tcp://db:5432,http://cfg/health", fault);
  ASSERT_TRUE(settings.has_value()) << fault;
  EXPECT_EQ(settings->timeoutMs, 120000u);
  ASSERT_EQ(settings->waitFor.size(), 2u);
  EXPECT_EQ(settings->waitFor[1].path, "/health");
  EXPECT_EQ(readinessSettingsOf("", "30s", "tcp://db:5432", fault)->timeoutMs, 30000u);
  EXPECT_FALSE(readinessSettingsOf("tcp://db", "", "", fault).has_value());
  EXPECT_FALSE(readinessSettingsOf("notify", "", "notify", fault).has_value());
  EXPECT_FALSE(readinessSettingsOf("notify", "0s", "", fault).has_value());
}

TEST(Readiness, HttpRequestAndWhatCountsAsSuccess) {
  std::string fault;
  EXPECT_EQ(httpGetRequest(*parseReadyTarget("http://app:8080/ready", false, fault)),
            "GET /ready HTTP/1.1\r\nHost: app:8080\r\nUser-Agent: quorv\r\nConnection: close\r\n\r\n");
  for (const char* yes : {"HTTP/1.1 200 OK\r\n", "HTTP/1.0 204 No Content", "HTTP/1.1 299\r\n", "HTTP/1.1 200"}) {
    EXPECT_TRUE(httpAnswersSuccess(yes)) << yes;
  }
  for (const char* no : {"HTTP/1.1 503 Service Unavailable", "HTTP/1.1 301 Moved", "HTTP/2 200 OK", "HTTP/1.1 2000",
                         "HTTP/1.1 20", "", "SSH-2.0-OpenSSH", "HTTP/1.1  200 OK"}) {
    EXPECT_FALSE(httpAnswersSuccess(no)) << no;
  }
}

}  // namespace
}  // namespace quorv
