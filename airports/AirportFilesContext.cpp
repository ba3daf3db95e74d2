#include "airports/AirportFilesContext.h"

#include "models/ModelDatabase.h"

namespace vorl {

ModelDatabase& AirportFilesContext::modelDatabase() const { return models ? *models : gf_modelDatabase(); }

AirportFilesContext& gf_airportFilesContext() {
    static AirportFilesContext context;
    return context;
}

} // namespace vorl
