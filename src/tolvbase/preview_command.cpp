#include "tolvbase/preview_command.h"

#include <string>

#include "companion/base.h"
#include "companion/messages.h"
#include "normalize/preview.h"
#include "tolvbase/base_commands.h"
#include "tolvbase/options.h"
#include "tolvbase/preview_output.h"

namespace tolv {

int run_preview(const Arguments& arguments) {
  bool json = has_option(arguments, BaseOption::Json);
  Encoding standard = json ? Encoding::Cp437 : display_encoding();
  auto encoding = static_cast<Encoding>(
      value_index(arguments, BaseOption::Encoding, static_cast<size_t>(standard)));
  if (json && encoding == Encoding::Raw) return usage_error(raw_json_refusal("--json"));
  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, encoding, error)) return complain(error);

  bool with_base = arguments.operands.size() > 1;
  NameIndex names;
  if (with_base) {
    ReadOnlyBase base;
    if (!open_command_base(base, arguments.operands[1], Descriptions::Required,
                           "reading its names as they stand now"))
      return kExitTrouble;
    bool loaded = load_base_names(base, names, error);
    close_base(base);
    if (!loaded) return complain(error);
  }

  std::string listing(arguments.operands[0]);
  if (listing == "-") listing.clear();
  Output out;
  PreviewPrinter printer{&out, &decoder, json, has_option(arguments, BaseOption::Entries),
                         with_base};
  PreviewSink sink{[&](const PreviewEntry& entry) { print_entry(printer, entry); },
                   [&](const PreviewFinding& finding) { print_finding(printer, finding); }};
  PreviewResult result = preview_listing(listing, &names, sink);
  if (result.failed) {
    flush(out);
    return complain(result.error);
  }
  print_summary(printer, result.counts);
  return finish(out, result.counts.findings == 0 ? kExitSound : kExitProblem);
}

}  // namespace tolv
