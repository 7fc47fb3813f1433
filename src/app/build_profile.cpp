#include "app/build_profile.h"

std::optional<ProductProfile> productProfile(int profileNumber) {
  switch (profileNumber) {
    case 0: return ProductProfile{"0x7372", "Tarnwick Loader V1.0.0.3"};
    case 1: return ProductProfile{"0x7401", "Ombrelle V1.0.0.1"};
    case 2: return ProductProfile{"0x7472", "Joyvane Loader V1.0.0.1"};
    case 5: return ProductProfile{"0x7472", "Disabled Joyvane Loader V1.0.0.1"};
    case 6: return ProductProfile{"0x7473", "Vexa Joyvane Loader V1.0.0.1"};
    case 7: return ProductProfile{"0x7474", "Classic Joyvane Loader V1.0.0.1"};
    default: return std::nullopt;
  }
}
