#pragma once

#include "platform/SystemIntegration.h"

class QtDesktopShell final : public DesktopShell {
public:
    void open(const QString& pathOrUrl) override;
};
