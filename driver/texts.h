// The dialogue's fixed texts, as code page 852 bytes.
#pragma once

#include <array>

#include "console/short_text.h"

namespace nagyszam {

inline constexpr ShortText TwoNewRows = Concat(NewRow, NewRow);

// Headings carry their own line breaks.
inline constexpr ShortText NemNegHeading =
    Concat(Cp852Text(u8"---- Elöjel nélüli egészek tesztje ----"), NewRow);
inline constexpr ShortText EgeszHeading =
    Concat(Concat(TwoNewRows, Cp852Text(u8"---- Elöjeles egészek tesztje ----")), NewRow);
static_assert(NemNegHeading.Length == 41);
static_assert(EgeszHeading.Length == 40);

inline constexpr ShortText PromptA = Cp852Text(u8"a(NemNegEgész):");
inline constexpr ShortText PromptB = Cp852Text(u8"b(NemNegEgész):");
inline constexpr ShortText SignedPromptA = Concat(TwoNewRows, Cp852Text(u8"a(Egész):"));
inline constexpr ShortText SignedPromptB = Cp852Text(u8"b(Egész):");
static_assert(PromptA.Length == 15 && SignedPromptA.Length == 13);

inline constexpr ShortText EqualSign = Cp852Text(u8"=");
inline constexpr ShortText GreaterSign = Cp852Text(u8">");
inline constexpr ShortText Plus = Cp852Text(u8"+");
inline constexpr ShortText Minus = Cp852Text(u8"-");
inline constexpr ShortText Times = Cp852Text(u8"*");
inline constexpr ShortText Is = Cp852Text(u8" = ");
inline constexpr ShortText PlusOne = Cp852Text(u8"+1 = ");
inline constexpr ShortText MinusOne = Cp852Text(u8"-1 = ");
inline constexpr ShortText And = Cp852Text(u8" és ");
inline constexpr ShortText Div = Cp852Text(u8" Div ");
inline constexpr ShortText Mod = Cp852Text(u8" Mod ");
inline constexpr ShortText DivisionQuestion = Cp852Text(u8" osztása során képződött-e hiba = ");

inline constexpr ShortText CannotDecrease = Concat(NewRow, Cp852Text(u8"Nem lehet csökkenteni "));
inline constexpr ShortText CannotDecreaseEnd = Cp852Text(u8"-t");
inline constexpr ShortText CannotSubtract = Concat(NewRow, Cp852Text(u8"Nem lehet kivonni "));
inline constexpr ShortText CannotSubtractFrom = Cp852Text(u8"-ból/böl ");
inline constexpr ShortText CannotSubtractEnd = Cp852Text(u8"-t!");

inline constexpr ShortText SignedOperands = Cp852Text(u8"a(egész):");
inline constexpr ShortText SignedOperandsAnd = Cp852Text(u8" és b(egész):");

// The error-flag answer, indexed by the flag.
inline constexpr std::array NemIgen{Cp852Text(u8"nem"), Cp852Text(u8"igen")};

// Ends a result row whose own operation overflowed.
inline constexpr ShortText Overflow = Cp852Text(u8" (túlcsordulás)");

constexpr ShortText OverflowMark(bool overflowed) noexcept {
  return overflowed ? Overflow : EmptyText;
}

}  // namespace nagyszam
