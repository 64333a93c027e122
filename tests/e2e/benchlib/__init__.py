# Helpers of the end-to-end bench: paths, display, Wine sandbox, UI driver, app, agent.
