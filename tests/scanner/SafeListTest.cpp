#include <gtest/gtest.h>

#include "scanner/SafeList.h"

namespace vp {
namespace {

struct Finding {
  const char* root;
  const char* key;
  const char* name;
  const char* data;
  int rule;  // the first rule that holds, 0 for none
};

TEST(SafeList, FirstRuleThatHoldsDecides) {
  const Finding cases[] = {
      // Ordinary findings pass.
      {"HKEY_LOCAL_MACHINE", "Software\\Vendor\\App", "Path", "C:\\Program Files\\App\\app.exe", 0},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "@", "C:\\x.dll", 0},
      // Exact keys, without regard to case and with a trailing backslash.
      {"HKEY_LOCAL_MACHINE\\", "SYSTEM\\CurrentControlSet\\Control\\CrashControl", "DumpFile", "C:\\x.dmp",
       13},
      {"hkey_local_machine", "system\\currentcontrolset\\control\\crashcontrol\\", "", "", 13},
      {"HKEY_LOCAL_MACHINE", "SYSTEM\\ControlSet002\\Control\\CrashControl", "DumpFile", "C:\\x.dmp", 93},
      {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Setup", "x", "y", 8},
      {"HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\Other", "x", "y", 29},
      // A key path holding a drive path.
      {"HKEY_CURRENT_USER", "Software\\MRU\\C:\\Data", "x", "y", 48},
      // Log files.
      {"HKEY_CURRENT_USER", "Software\\Vendor", "MyLOGFILE", "C:\\x.txt", 63},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "Log File Name", "C:\\x.txt", 62},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "Path", "C:\\out\\Run.LOG", 65},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "logfile", "", 63},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "Log.Filename", "", 97},
      // Only the lower-case form is exempt anywhere; the capitalised one only
      // under its two exact keys.
      {"HKEY_CURRENT_USER", "Software\\applications\\radrun.exe", "x", "y", 103},
      {"HKEY_CURRENT_USER", "Software\\Applications\\radrun.exe", "x", "y", 0},
      {"HKEY_CLASSES_ROOT", "Applications\\radrun.exe", "x", "y", 11},
      {"HKEY_LOCAL_MACHINE", "Software\\Classes\\APPLICATIONS\\RADRUN.EXE", "x", "y", 12},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "x", "C:\\hpdigitalimaging.exe", 0},
      {"HKEY_CURRENT_USER", "Software\\Vendor", "x", "C:\\HPdigitalimaging.exe", 104},
      // Program file classes and keys every system depends on.
      {"HKEY_CLASSES_ROOT", "exefile\\shell\\open\\command", "@", "\"%1\" %*", 117},
      {"HKEY_CLASSES_ROOT", "regfile", "x", "y", 117},
      // Security software, any case.
      {"HKEY_LOCAL_MACHINE", "Software\\Vendor\\ANTIVIRUS", "x", "y", 115},
      {"HKEY_LOCAL_MACHINE", "Software\\Vendor", "x", "C:\\anti-virus\\scan.exe", 116},
      // Conditions that need two parts.
      {"HKEY_CLASSES_ROOT", "CLSID\\{X}", "@", "device manager", 54},
      {"HKEY_CLASSES_ROOT", "CLSID\\{X}", "@", "The DevMgrSnapin class", 55},
      {"HKEY_CLASSES_ROOT", "CLSID\\{X}", "", "Device Manager", 0},
      {"HKEY_CURRENT_USER", "Software\\EPSON\\Printer", "tempfile", "C:\\x.tmp", 102},
      {"HKEY_CURRENT_USER", "Software\\EPSON\\Printer", "Other", "C:\\x.tmp", 0},
      // One trailing backslash leaves the key path; a second one stays.
      {"HKEY_CLASSES_ROOT", "CLSID\\{7478EF65-8C46-11D1-8D99-00A0C913CAD4}\\", "x", "", 56},
      {"HKEY_CLASSES_ROOT", "CLSID\\{7478EF65-8C46-11D1-8D99-00A0C913CAD4}\\\\", "x", "", 57},
      // Earlier rules win over later ones.
      {"HKEY_CURRENT_USER", "Software\\Mozilla", "Path", "C:\\x.log", 65},
      {"HKEY_CURRENT_USER", "Software\\Mozilla", "Path", "C:\\x.exe", 74},
      // A full-text equality can never hold: the full text ends in " : ".
      {"HKEY_CLASSES_ROOT", "CLSID\\{80EE4901-33A8-11d1-A213-0080C88593A5}", "", "", 0},
      {"HKEY_CLASSES_ROOT", "CLSID\\{80ee4902-33a8-11d1-a213-0080c88593a5}", "", "", 17},
      {"HKEY_LOCAL_MACHINE", "Software\\X", "x", "pk73pt_unit_test_data_ignored_filename", 118},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FirstSafeListRule(c.root, c.key, c.name, c.data), c.rule)
        << c.root << "\\" << c.key << " " << c.name;
    EXPECT_EQ(IsReportable(c.root, c.key, c.name, c.data), c.rule == 0) << c.root << "\\" << c.key;
  }
}

TEST(SafeList, BarePaths) {
  struct Case {
    const char* path;
    bool reportable;
  };
  const Case cases[] = {
      {"C:\\Program Files\\App\\missing.dll", true},
      {"C:\\Program Files\\Mozilla Firefox\\x.dll", false},
      {"C:\\Program Files\\Norton AntiVirus\\x.exe", false},
      {"C:\\Quarantine\\x.exe", false},
      {"C:\\temp\\run.log", true},  // ".log" is a rule of the value data only
      {"C:\\temp\\", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsReportablePath(c.path), c.reportable) << c.path;
}

TEST(SafeList, ImportantKeys) {
  struct Case {
    const char* text;
    bool important;
  };
  const Case cases[] = {
      {"", true},
      {"ab", true},
      {"ab\\", true},
      {"abc", false},
      {"HKEY_CLASSES_ROOT\\clsid\\", true},
      {"hkey_local_machine\\SOFTWARE", true},
      {"HKEY_CLASSES_ROOT\\*", true},
      {"HKEY_CLASSES_ROOT\\Applications\\unins000.exe", true},
      {"HKEY_LOCAL_MACHINE\\Software\\Vendor", false},
      {"HKEY_LOCAL_MACHINE\\software\\Microsoft\\Windows\\CurrentVersion\\Run", false},
      {"HKEY_CLASSES_ROOT\\exefile\\shell\\open", true},
      {"x HKEY_CLASSES_ROOT\\piffile y", true},
      {"HKEY_CLASSES_ROOT\\Applications\\foo.exe", false},
      {"HKEY_CLASSES_ROOT\\cmdfile\\shell", false},  // cmdfile is an exact key only
  };
  for (const auto& c : cases) EXPECT_EQ(IsImportantKey(c.text), c.important) << c.text;
}

}  // namespace
}  // namespace vp
