// Starting the program under test, shared by the end-to-end drivers: each run gets the caller's
// environment without our test switches, plus the entries the driver chose, and writes its output
// and errors to run.log in its work folder.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

// The inherited environment less every KELVARO_ switch, then `chosen` ("NAME=value" each); a later
// entry for a name wins over an earlier one, so a driver's own setting beats one left in the shell.
inline std::vector<std::string> E2E_Environment(const std::vector<std::string>& chosen)
{
    std::map<std::string, std::string> byName;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "KELVARO_", 8) != 0) byName[std::string(*e).substr(0, std::strcspn(*e, "="))] = *e;
    for (const std::string& entry : chosen) byName[entry.substr(0, entry.find('='))] = entry;
    std::vector<std::string> out;
    for (const auto& [name, entry] : byName) out.push_back(entry);
    return out;
}

// Starts args[0] with `args` in `work`; standard output and errors go to work/run.log (errors to
// `errors` instead when one is named), standard input comes from /dev/null when `noInput`. The
// process id, or -1 when it could not be started.
inline pid_t E2E_Spawn(std::vector<std::string> args, const std::vector<std::string>& chosenEnvironment,
                       const std::filesystem::path& work, bool noInput = false,
                       const std::filesystem::path& errors = {})
{
    std::vector<std::string> environment = E2E_Environment(chosenEnvironment);
    auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> out;
        for (std::string& text : texts) out.push_back(text.data());
        out.push_back(nullptr);
        return out;
    };
    std::vector<char*> argv = pointers(args), envp = pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, work.c_str());
    if (noInput) posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (work / "run.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errors.empty()) posix_spawn_file_actions_adddup2(&actions, 1, 2);
    else posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}
