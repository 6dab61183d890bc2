#pragma once

// The office for tests: one headless LibreOffice per test program, shared by its tests.
//
// Link the target gridwork_office_fixture and call testDesktop() (or testOffice()) in a test.
// Before the first test the fixture starts the office with a private profile (pre-seeded with
// the office version and the locale en-US, so it starts in about a second and shows texts as
// "3.14" and "TRUE"), with TMPDIR pointing into that profile; after the last test, also when
// tests fail, it shuts the office down and removes the profile. Environment variable
// GRIDWORK_OFFICE still chooses the office program.

#include "join/calc_automation.h"
#include "office/uno_automation.h"

#include <filesystem>
#include <string>

namespace gridwork::test {

/// The automation of this test program's office.
CalcAutomation& testOffice();

/// The options the test office was started with (its pipe, profile, ...).
OfficeOptions testOfficeOptions();

/// A desktop of this test program's office, connected once.
Desktop& testDesktop();

/// A private folder for files the tests write; removed with the office's profile.
std::filesystem::path testTempFolder();

/// The absolute path of this program's own copy of a file under tests/data/office (the path
/// where it would be when there is no such file; the copies' folder for ""). An office locks
/// every document it opens, and a second test office would then fail to open the original.
std::string officeTestData(const std::string& name);

} // namespace gridwork::test
