#include "model/extractionstate.h"

#include "grouping/unicodetext.h"

bool operator==(const ExtractionState& left, const ExtractionState& right) {
    return left.m_kind == right.m_kind && (left.m_kind != ExtractionState::Kind::Failed ||
                                           textEquals(left.m_message, right.m_message));
}
