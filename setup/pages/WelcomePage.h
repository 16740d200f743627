#pragma once

// The first page: a welcome naming the product, nothing to choose.

#include "setup/pages/Page.h"

class TWelcomePage : public TPage {
public:
    void Apply(const TPageSetup& setup) override;
};
