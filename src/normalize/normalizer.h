// Reading a listing of any layout, for the companions: tolvbase's preview
// and normalize, and tolvboard's areas. It uses the companions' shared layer
// (src/companion), the listing's columns and reader (src/listing) and the
// record layout (src/filebase); tolvbase and tolvboard use it.
//
//   listing_source.h    a listing's lines, read twice (standard input held)
//   line_fields.h       a line read into typed fields with their columns
//   layouts.h           the known layouts, and how the lines' votes choose one
//   description_text.h  a description's colour codes and control bytes
//                       removed, its words wrapped into lines of a width
//   normalize.h         the rewrite into PCBoard lines, and its findings
//   normalize_report.h  those findings and the counts as report lines
//   preview.h           what tolvconv would make of a listing, line by line,
//                       with the doubts of doubt.h and line_doubts.h
#pragma once

#include "normalize/description_text.h"
#include "normalize/layouts.h"
#include "normalize/line_fields.h"
#include "normalize/listing_source.h"
#include "normalize/normalize.h"
#include "normalize/normalize_report.h"
#include "normalize/preview.h"
