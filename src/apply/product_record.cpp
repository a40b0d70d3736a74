#include "product_record.h"

std::vector<ProductRecord> ApplicableProducts;
