#include "filebase/base_path.h"

#include <gtest/gtest.h>

#include "app/run.h"

namespace tolv {
namespace {

TEST(BasePath, DropsTheExtensionOfTheLastComponentOnly) {
  struct Case {
    const char* argument;
    const char* record_file;
    const char* description_file;
  } cases[] = {
      {"/bbs/files/upload", "/bbs/files/upload.dir", "/bbs/files/upload.des"},
      {"/bbs/files/upload.dat", "/bbs/files/upload.dir", "/bbs/files/upload.des"},
      {"area.new/upload", "area.new/upload.dir", "area.new/upload.des"},
      {"archive.tar.gz", "archive.tar.dir", "archive.tar.des"},
      {"upload.", "upload.dir", "upload.des"},
      {"/bbs/files/", "/bbs/files/.dir", "/bbs/files/.des"},
      {".upload", ".dir", ".des"},
      {"", ".dir", ".des"},
  };
  for (const Case& c : cases) {
    BasePaths paths = derive_base_paths(c.argument);
    EXPECT_EQ(paths.record_file, c.record_file) << c.argument;
    EXPECT_EQ(paths.description_file, c.description_file) << c.argument;
    EXPECT_EQ(paths.stem + ".dir", paths.record_file) << c.argument;
  }
}

TEST(BasePath, TakesLongArgumentsWhole) {
  std::string dir(300, 'd');
  BasePaths paths = derive_base_paths(dir + "/base.x");
  EXPECT_EQ(paths.record_file, dir + "/base.dir");
}

TEST(DupeSwitch, AnyLetterCaseButNothingElse) {
  for (const char* on : {"-DUPE", "-dupe", "-Dupe", "-dUpE"}) EXPECT_TRUE(is_dupe_switch(on)) << on;
  for (const char* off : {"", "--DUPE", "-DUPES", "/DUPE", "DUPE", "-DUP", "-DUPE "})
    EXPECT_FALSE(is_dupe_switch(off)) << off;
}

}  // namespace
}  // namespace tolv
