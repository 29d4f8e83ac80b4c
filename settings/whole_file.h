// Whole files read in one piece and replaced in one piece, with the system's
// own words for a failure: the C library's off Windows, the system's error
// texts on Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The content of an existing file; on failure nullopt and the reason.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::wstring& reason);

// The pieces of a file's content, written one after the other.
using FileParts = std::initializer_list<std::span<const uint8_t>>;

// Replaces the file at `path` (or creates it) with `parts`: they go to
// `path` + ".partial" first, which then takes the file's place, so that a
// failure (a full disk among them) leaves an existing file whole and no
// partial file behind. A read-only file, or one that another program holds
// open without sharing it, is not replaced. On failure returns the reason.
std::optional<std::wstring> ReplaceWholeFile(const std::filesystem::path& path, FileParts parts);
