#pragma once

// This program's own version: major.minor.release.build.
struct ProgramVersion
{
    static constexpr int Major = 1;
    static constexpr int Minor = 1;
    static constexpr int Release = 1;
    static constexpr int Build = 50;
};
