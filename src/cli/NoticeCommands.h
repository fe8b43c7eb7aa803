// The mail commands of taskorbit-cli, for administrators' scripts and a
// scheduled job:
//   mail DIR --user ADMIN [--send] [--digest]
//       --digest queues today's daily digests (once a day per user), --send
//       sends what is due; either way the messages that failed are listed.
//   settings DIR --user ADMIN [--smtp HOST:PORT] [--smtp-security none|starttls|tls]
//       [--smtp-user NAME] [--from ADDRESS]
//       the office's mail server; the password comes from the environment
//       variable TASKORBIT_SMTP_PASSWORD when it is set (an empty value
//       clears it), never from the command line.
//   prefs DIR --user NAME [--notify-new yes|no] [--notify-changed yes|no]
//       [--notify-concluded yes|no] [--notify-digest yes|no] [--language CODE]
//       the user's own choice of notices by mail.
#pragma once

#include <QString>

#include <map>
#include <ostream>
#include <set>
#include <string>

#include "data/Database.h"
#include "data/Session.h"

namespace tko::cli {

inline constexpr const char* kSmtpPasswordVariable = "TASKORBIT_SMTP_PASSWORD";

bool isNoticeCommand(const std::string& command);

// The options of the three commands that take a value, and their flags.
const std::set<std::string>& noticeValueOptions();
const std::set<std::string>& noticeFlagOptions();

// Runs `command` for the logged-in `session`; exit codes as ScriptCommands.h.
int runNoticeCommand(const std::string& command, Database& db, const Session& session,
                     const QString& programDir, const std::map<std::string, std::string>& values,
                     const std::set<std::string>& flags, std::ostream& out, std::ostream& err);

}  // namespace tko::cli
