#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Durable writes of host files, for the simulated file system and the native
// program's registry file: what a crash at any moment leaves is the old file
// or the new one, and what was reported written is on the disk.
namespace vp::platform::sim {

// Replaces the file's bytes: a new file is created exclusively under a
// unique name beside the target (a link or file planted under a fixed name is
// never followed or reused), given the target's permission bits, flushed to
// the disk, renamed over the target, and the folder is flushed. With
// throughLink a target that is a symbolic link has its final target replaced
// and stays a link; without, the link itself is replaced. False, with error
// set and the target untouched, on any failure.
bool ReplaceHostFile(const std::filesystem::path& path, std::string_view bytes, bool throughLink,
                     std::string& error);

// Appends the bytes (creating the file) and flushes them to the disk.
bool AppendHostFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vp::platform::sim
