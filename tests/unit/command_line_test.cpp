// The option tables of tolvbase and tolvboard against what is written from
// them by hand: each manual page's OPTIONS and each bash completion script
// must name exactly the table's options, command by command. And the name
// a mistyped one is taken for.
#include "companion/command_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "companion/nearest_name.h"
#include "support/child.h"
#include "tolvbase/command.h"
#include "tolvboard/command.h"

namespace tolv {
namespace {

using Names = std::set<std::string>;

// The options each subsection of the manual page's OPTIONS names in its
// .TP entries ("" for a page without subsections), with "\-" read as "-".
std::map<std::string, Names> man_page_options(const std::string& program) {
  std::string page = test::read_file(TOLV_SOURCE_DIR "/man/" + program + ".1");
  std::map<std::string, Names> options;
  std::string section, subsection;
  bool entry = false;
  for (size_t at = 0, end; (end = page.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = std::regex_replace(page.substr(at, end - at), std::regex(R"(\\-)"), "-");
    if (line.starts_with(".SH ")) section = line.substr(4), subsection.clear();
    if (section != "OPTIONS") continue;
    if (line.starts_with(".SS ")) subsection = line.substr(4);
    if (entry) {
      std::smatch found;
      for (auto it = line.cbegin();
           std::regex_search(it, line.cend(), found, std::regex("--([a-z][a-z-]*)"));
           it = found.suffix().first)
        options[subsection].insert(found[1]);
    }
    entry = line == ".TP";
  }
  return options;
}

// Every spelling: the manual page names an alias beside its option.
Names names_of(const std::vector<const Option*>& options) {
  Names names;
  for (const Option* option : options)
    for (std::string_view name : {option->name, option->alias})
      if (!name.empty()) names.insert(std::string(name));
  return names;
}

TEST(OptionTable, TheManualPagesNameEveryOptionOfTheTablesAndNoOther) {
  const Program& tolvbase = tolvbase_program();
  std::map<std::string, Names> page = man_page_options("tolvbase");
  EXPECT_EQ(page["Every command"], names_of({&kHelpOption, &kVersionOption}));
  for (const Command& command : tolvbase.commands) {
    Names table = names_of(command_options(tolvbase, command));
    table.erase(std::string(kHelpOption.name));
    EXPECT_EQ(page[std::string(command.name)], table) << command.name;
  }
  const Program& tolvboard = tolvboard_program();
  EXPECT_EQ(man_page_options("tolvboard")[""],
            names_of(command_options(tolvboard, tolvboard.commands[0])));
  // --map's second spelling, for a path rooted without a drive, is in both.
  EXPECT_NE(test::read_file(TOLV_SOURCE_DIR "/man/tolvboard.1").find(".BR \"\\-\\-map \\(aq\\e="),
            std::string::npos);
  EXPECT_NE(program_help(tolvboard).find("'\\=DIR'"), std::string::npos);
}

// Completion cases (tests/completion/complete.sh) made from a table: the
// options offered after "-", the values offered after an option that has a
// set of them.
std::string completion_cases(const Program& program) {
  std::string cases;
  auto words = [](const std::vector<const Option*>& options) {
    std::string text;
    for (const Option* option : options) text.append(" --").append(option->name);
    return text;
  };
  std::string head(program.name);
  if (!program.commands[0].name.empty()) {
    cases += head + " '' |" + words({&kHelpOption, &kVersionOption});
    for (const Command& command : program.commands) cases.append(" ").append(command.name);
    cases += "\n";
  }
  for (const Command& command : program.commands) {
    std::string typed = head;
    if (!command.name.empty()) typed.append(" ").append(command.name);
    std::vector<const Option*> options = command_options(program, command);
    cases += typed + " - |" + words(options) + " --\n";
    for (const Option* option : options) {
      if (option->values.empty()) continue;
      cases.append(typed).append(" --").append(option->name).append(" '' |");
      for (std::string_view value : option->values) cases.append(" ").append(value);
      cases += "\n";
    }
  }
  return cases;
}

TEST(OptionTable, TheBashCompletionOffersEveryOptionAndValueOfTheTables) {
  test::TempDir dir;
  for (const Program* program : {&tolvbase_program(), &tolvboard_program()}) {
    std::string name(program->name);
    test::write_file(dir / name, completion_cases(*program));
    test::Outcome run =
        test::run_binary({"/bin/bash", TOLV_SOURCE_DIR "/tests/completion/complete.sh",
                          TOLV_SOURCE_DIR "/completion", name, dir / name},
                         "", "", true);
    EXPECT_EQ(run.status, 0) << run.output << run.errors << completion_cases(*program);
  }
}

TEST(NearestName, SuggestsOnlyANameNearEnoughAndNotTied) {
  const std::vector<Spelling> options = {
      {"dir", "dir"},
      {"json", "json"},
      {"strict", "strict"},
      {"width", "width"},
      {"keep-colours", "keep-colours"},
      {"keep-colors", "keep-colours"},
      {"dry-run", "dry-run"},
      {"dupe", "dupe"},
      {"append", "append"},
  };
  struct Case {
    std::string typed, meant;
  } cases[] = {
      {"strct", "strict"},              // a letter left out
      {"stirct", "strict"},             // two neighbours swapped: one edit
      {"strc", "strict"},               // two edits in six letters
      {"jsno", "json"},                 // at the end
      {"dri", "dir"},                   // three letters, one swap
      {"keep-colous", "keep-colours"},  // as near both spellings of one option
      {"keep-colr", "keep-colours"},    // nearer the alias: its option's name
      {"xyz", ""},                      // three edits from "dir"
      {"js", ""},                       // two edits in four letters: another word
      {"dup", "dupe"},                  // one in four
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(nearest_name(c.typed, options), c.meant) << c.typed;
  // Two names equally near: no guess.
  const std::vector<Spelling> tied = {{"list", "list"}, {"lint", "lint"}};
  EXPECT_EQ(nearest_name("lis", tied), "list");
  EXPECT_EQ(nearest_name("lit", tied), "");
  EXPECT_EQ(edit_distance("", "abc"), 3u);
  EXPECT_EQ(edit_distance("abcd", "badc"), 2u);
}

TEST(OptionTableDeathTest, AskingForAnOptionOfAnotherCommandEndsTheProgram) {
  const Program& tolvbase = tolvbase_program();
  Arguments arguments;
  arguments.command = &tolvbase.commands[0];  // list: --encoding only
  EXPECT_FALSE(has_option(arguments, BaseOption::Encoding));
  EXPECT_DEATH(has_option(arguments, BaseOption::Strict), "not in the table of 'list'");
}

}  // namespace
}  // namespace tolv
