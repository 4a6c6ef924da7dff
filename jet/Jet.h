#pragma once
// The engine as the layers above it use it, and the only engine header they include (the build's
// include check holds them to it): opening a database to read it or to change it, its catalog and
// table definitions, values and errors, and the rules of the format the layers above apply
// themselves (names, their case, their length; UTF-8; dates; system tables; code pages).

#include "jet/base/Error.h"           // Error, Corrupt, Unsupported, BadPassword, ...
#include "jet/encode/RowEncoder.h"     // maxRowSize
#include "jet/format/CodePage.h"      // encodeCodePage, codePageName
#include "jet/format/DateTime.h"      // isValidDateTime, dateTimeValue
#include "jet/format/NameMatch.h"     // sameNameIgnoringCase
#include "jet/format/Names.h"         // MaxNameLength, invalidNameReason
#include "jet/format/Utf8.h"          // nextCodePoint, utf16Length, asciiWords, appendUtf8
#include "jet/read/Catalog.h"         // CatalogEntry, isSystemTable
#include "jet/read/Database.h"        // Database, OpenOptions
#include "jet/read/TableDef.h"        // TableDef, Column
#include "jet/read/Value.h"           // Value, formatDateTime
#include "jet/write/ColumnAdder.h"    // columnNumbersLeft
#include "jet/write/DatabaseWriter.h" // DatabaseWriter, RowCondition
