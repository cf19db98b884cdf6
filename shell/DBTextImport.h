// The editable text sources of the rank, special-shot and team tables: the
// comma-separated files the authoring build reads instead of the archives, and
// that the data build turns into the shipped data files.
//
// Reading rules (the same for all three): the text is taken line by line, each
// line cut to 511 characters; a line whose second character is "/" is a
// comment ("//..."); every other line is split at commas into cells. Cells that
// are not integers read as 0. Rows beyond a table's size are ignored, so no
// source can write past a table.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "match/recordUnit.h"
#include "shell/SAIData.h"

using DBCsvRow = std::vector<std::string>;

// The data rows of a source text, comments dropped. Line ends may be LF or CR LF.
std::vector<DBCsvRow> ReadCsvRows(std::string_view text);

// A cell as an integer: optional blanks, an optional sign and decimal digits,
// optional blanks; anything else (or a value outside 32 bits) gives 0.
int32_t CsvInt(std::string_view cell);

// Rank table: each row gives the 89 integers of one rank row, in record order;
// a short row leaves the rest zero. The table is cleared first. Returns the
// number of rows read (at most 9).
int ImportRankCsv(std::string_view text, DBRankData (&rows)[DBRANK_ROWS]);

// Special-shot table: column 0 is the name (its bytes copied, at most 10), the
// next 24 columns the integers that follow the name in the record. The table is
// cleared first. Returns the number of rows read (at most 21).
int ImportShootCsv(std::string_view text, DBShootData (&rows)[DBSHOOT_COUNT]);

// Converts a name text into its eight name codes.
using DTNameConv = std::function<DTNameArr(std::string_view)>;

// The columns of a team-member row, as the authoring build reads them.
enum DBCharCsvColumn {
    cccName, cccDBFaceNo, cccSkinCol, cccHairCol,
    cccHP, cccBP, cccShT, cccCrv, cccSpd, cccCaT, cccTaf, cccGut, cccPos, cccMnr,
    cccHS, cccJHS, cccSHS1, cccSHS2,
    cccCount  // columns the authoring build reads
};

// Team members: row r is member r mod 7 of team r div 7, at most 168 rows.
// Column 0 becomes the record's Name (through conv), columns 1..3 its face,
// skin and hair, columns 4..17 the member's ability bytes in `abilities`
// (dHP..dMnr, then dHS, dJHS, dSHS1, dSHS2). Byte fields take the low 8 bits
// of the integer. Only those fields are written. Returns the rows read.
int ImportCharCsv(std::string_view text, const DTNameConv& conv,
                  DTCharData (&members)[DBTEAMS][DBMEMBERS],
                  DCDDBallDt (&abilities)[DBTEAMS][DBMEMBERS]);
