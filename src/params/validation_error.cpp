#include <utility>

#include "params/corvex_parameters.h"

CorvexParameters::ValidationError::ValidationError(std::wstring text, const void* field)
    : text_(std::move(text)), field_(field) {}

CorvexParameters::ValidationError::~ValidationError() = default;

const std::wstring& CorvexParameters::ValidationError::GetText() const { return text_; }

const void* CorvexParameters::ValidationError::GetField() const { return field_; }
