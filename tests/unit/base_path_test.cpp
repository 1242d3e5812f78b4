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
    const char* stem;
  } cases[] = {
      {"/bbs/files/upload", "/bbs/files/upload.dir", "/bbs/files/upload.des", "/bbs/files/upload"},
      {"/bbs/files/upload.dat", "/bbs/files/upload.dir", "/bbs/files/upload.des",
       "/bbs/files/upload"},
      {"area.new/upload", "area.new/upload.dir", "area.new/upload.des", "area.new/upload"},
      {"archive.tar.gz", "archive.tar.dir", "archive.tar.des", "archive.tar"},
      {"upload.", "upload.dir", "upload.des", "upload"},
      {"/bbs/files/", "/bbs/files/.dir", "/bbs/files/.des", "/bbs/files/"},
      {".upload", ".dir", ".des", ""},
      {"", ".dir", ".des", ""},
  };
  for (const Case& c : cases) {
    BasePaths paths = derive_base_paths(c.argument);
    EXPECT_EQ(paths.record_file, c.record_file) << c.argument;
    EXPECT_EQ(paths.description_file, c.description_file) << c.argument;
    EXPECT_EQ(paths.stem, c.stem) << c.argument;
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
