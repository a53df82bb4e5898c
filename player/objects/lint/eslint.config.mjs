// ESLint for the player objects' scripts, run on objects.js: the scripts joined in their order, as
// the host injects them, so that a name that one file defines and the next one uses is known.
import js from "@eslint/js";
import globals from "globals";

export default [
  js.configs.recommended,
  {
    files: ["objects.js"],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: "script",
      // The host puts its shared names in place of this token when it injects the script.
      globals: { ...globals.browser, __ZENTAVO_HOST_NAMES__: "readonly" },
    },
    rules: {
      "no-var": "error",
      "prefer-const": "error",
      eqeqeq: ["error", "always", { null: "ignore" }],
      "no-unused-vars": ["error", { args: "none", caughtErrors: "none" }],
    },
  },
];
