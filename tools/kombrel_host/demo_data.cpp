// The demo's data set, bundled in the program as a scenario file: a hardware wholesaler with four
// warehouses, twelve MM documents over November and December 2025, and a sales document with four
// used slots (slot 2 came from an earlier transfer of MM/1/12/2025). The user takes the December
// documents, marks three of them, and accepts: one position merges into slot 2, four take free slots.
// Kombrel.ini does not exist yet, so the installation notice comes, and the user ticks "do not show".
#include "tools/kombrel_host/demo.h"

namespace kombrel_host {

const char* DemoScenarioText() {
  return R"json({
  "host": {"notice_answer": 1},
  "settings": null,
  "mm": [
    {"number": "MM/1/11/2025", "aux_text": "K. Wiśniewska", "dest_warehouse": "Sklep Kraków",
     "issue_date": "2025-11-04", "description": "Uzupełnienie stanów sklepu", "purchase_value": 1060000,
     "aux_number": 1, "warehouse": 1, "aux_id": 1, "doc_id": 101,
     "positions": [
       {"name": "Śruba M6x40 ocynkowana", "code": "SR-M6X40", "quantity": 200, "unit": "szt",
        "price_odd": 35, "price_even": 28, "ref": 1},
       {"name": "Kołek rozporowy 8x50", "code": "KR-8X50", "quantity": 500, "unit": "szt",
        "price_odd": 12, "price_even": 10, "ref": 2}]},
    {"number": "MM/2/11/2025", "aux_text": "K. Wiśniewska", "dest_warehouse": "Hurtownia Łódź",
     "issue_date": "2025-11-12", "description": "Przesunięcie towaru sezonowego", "purchase_value": 28398500,
     "aux_number": 2, "warehouse": 1, "aux_id": 1, "doc_id": 102,
     "positions": [
       {"name": "Odśnieżarka ręczna", "code": "ODS-R", "quantity": 5, "unit": "szt",
        "price_odd": 45900, "price_even": 37317, "ref": 1},
       {"name": "Łopata do śniegu", "code": "LOP-SN", "quantity": 20, "unit": "szt",
        "price_odd": 5990, "price_even": 4870, "ref": 2}]},
    {"number": "MM/5/11/2025", "aux_text": "T. Zając", "dest_warehouse": "Sklep Kraków",
     "issue_date": "2025-11-28", "description": "Dostawa przedświąteczna", "purchase_value": 23488200,
     "aux_number": 5, "warehouse": 1, "aux_id": 1, "doc_id": 105,
     "positions": [
       {"name": "Choinka sztuczna 180 cm", "code": "CH-180", "quantity": 8, "unit": "szt",
        "price_odd": 24900, "price_even": 20244, "ref": 1},
       {"name": "Bombki szklane 6 szt.", "code": "BOM-6", "quantity": 30, "unit": "kpl",
        "price_odd": 2990, "price_even": 2431, "ref": 2}]},
    {"number": "MM/1/12/2025", "aux_text": "K. Wiśniewska", "dest_warehouse": "Sklep Kraków",
     "issue_date": "2025-12-02", "description": "Uzupełnienie stanów sklepu", "purchase_value": 730000,
     "aux_number": 1, "warehouse": 1, "aux_id": 1, "doc_id": 106,
     "positions": [
       {"name": "Śruba M6x40 ocynkowana", "code": "SR-M6X40", "quantity": 100, "unit": "szt",
        "price_odd": 35, "price_even": 28, "ref": 1},
       {"name": "Wkręt do drewna 4x40", "code": "WK-4X40", "quantity": 300, "unit": "szt",
        "price_odd": 18, "price_even": 15, "ref": 2}]},
    {"number": "MM/4/12/2025", "aux_text": "T. Zając", "dest_warehouse": "Oddział Gdańsk",
     "issue_date": "2025-12-11", "description": "Oświetlenie świąteczne", "purchase_value": 8042400,
     "aux_number": 4, "warehouse": 1, "aux_id": 1, "doc_id": 109,
     "positions": [
       {"name": "Łańcuch świetlny LED 10 m", "code": "LED-LAN-10", "quantity": 12, "unit": "szt",
        "price_odd": 4999, "price_even": 4064, "ref": 1},
       {"name": "Przedłużacz ogrodowy 20 m", "code": "PRZ-20", "quantity": 6, "unit": "szt",
        "price_odd": 6490, "price_even": 5276, "ref": 2}]},
    {"number": "MM/4/11/2025", "aux_text": "M. Kowalczyk", "dest_warehouse": "Magazyn główny",
     "issue_date": "2025-11-25", "description": "Zwrot z ekspozycji", "purchase_value": 4699200,
     "aux_number": 4, "warehouse": 2, "aux_id": 1, "doc_id": 104,
     "positions": [
       {"name": "Wiertarka udarowa 750 W", "code": "WU-750", "quantity": 2, "unit": "szt",
        "price_odd": 28900, "price_even": 23496, "ref": 1}]},
    {"number": "MM/5/12/2025", "aux_text": "M. Kowalczyk", "dest_warehouse": "Magazyn główny",
     "issue_date": "2025-12-16", "description": "Zwrot towaru niechodliwego", "purchase_value": 2923600,
     "aux_number": 5, "warehouse": 2, "aux_id": 1, "doc_id": 110,
     "positions": [
       {"name": "Farba elewacyjna biała 5 l", "code": "FE-5", "quantity": 4, "unit": "szt",
        "price_odd": 8990, "price_even": 7309, "ref": 1}]},
    {"number": "MM/3/11/2025", "aux_text": "J. Dąbrowski", "dest_warehouse": "Oddział Gdańsk",
     "issue_date": "2025-11-19", "description": "Zwrot nadwyżek magazynowych", "purchase_value": 7377600,
     "aux_number": 3, "warehouse": 3, "aux_id": 1, "doc_id": 103,
     "positions": [
       {"name": "Klej montażowy 290 ml", "code": "KM-290", "quantity": 48, "unit": "szt",
        "price_odd": 1890, "price_even": 1537, "ref": 1}]},
    {"number": "MM/2/12/2025", "aux_text": "J. Dąbrowski", "dest_warehouse": "Oddział Gdańsk",
     "issue_date": "2025-12-05", "description": "Narzędzia ogrodowe na zimę", "purchase_value": 3732000,
     "aux_number": 2, "warehouse": 3, "aux_id": 1, "doc_id": 107,
     "positions": [
       {"name": "Sekator nożycowy", "code": "SEK-N", "quantity": 10, "unit": "szt",
        "price_odd": 4590, "price_even": 3732, "ref": 1}]},
    {"number": "MM/6/12/2025", "aux_text": "J. Dąbrowski", "dest_warehouse": "Sklep Kraków",
     "issue_date": "2025-12-19", "description": "Chemia budowlana", "purchase_value": 10700000,
     "aux_number": 6, "warehouse": 3, "aux_id": 1, "doc_id": 111,
     "positions": [
       {"name": "Zaprawa klejąca do płytek 25 kg", "code": "ZAP-KL-25", "quantity": 40, "unit": "worek",
        "price_odd": 3290, "price_even": 2675, "ref": 1}]},
    {"number": "MM/7/12/2025", "aux_text": "J. Dąbrowski", "dest_warehouse": "Sklep Kraków",
     "issue_date": "2025-12-22", "description": "Farby i lakiery", "purchase_value": 3892800,
     "aux_number": 7, "warehouse": 3, "aux_id": 1, "doc_id": 112,
     "positions": [
       {"name": "Lakier do drewna bezbarwny 0,75 l", "code": "LAK-075", "quantity": 12, "unit": "szt",
        "price_odd": 3990, "price_even": 3244, "ref": 1}]},
    {"number": "MM/3/12/2025", "aux_text": "A. Lewandowska", "dest_warehouse": "Hurtownia Łódź",
     "issue_date": "2025-12-09", "description": "Przesunięcie między oddziałami", "purchase_value": 5610000,
     "aux_number": 3, "warehouse": 4, "aux_id": 1, "doc_id": 108,
     "positions": [
       {"name": "Rękawice robocze nitrylowe", "code": "REK-NIT", "quantity": 100, "unit": "para",
        "price_odd": 690, "price_even": 561, "ref": 1}]}
  ],
  "sales": {
    "price_selector": 1, "slots": 10, "row_base": 0,
    "used": [
      {"slot": 0, "name": "Farba akrylowa biała 10 l", "code": "FA-BIA-10", "quantity": 2, "unit": "szt",
       "price": 189.99, "warehouse": 1, "ref": 31},
      {"slot": 1, "name": "Pędzel płaski 50 mm", "code": "PE-50", "quantity": 5, "unit": "szt",
       "price": 12.4, "warehouse": 1, "ref": 32},
      {"slot": 2, "name": "Wkręt do drewna 4x40", "code": "WK-4X40", "quantity": 300, "unit": "szt",
       "price": 0.18, "mm_number": "MM/1/12/2025", "warehouse": 1, "ref": 2},
      {"slot": 4, "name": "Taśma malarska 48 mm", "code": "TM-48", "quantity": 10, "unit": "szt",
       "price": 8.5, "warehouse": 1, "ref": 34}
    ]
  },
  "steps": ["load", "load_check", "start",
            {"event": 235, "dates": ["2025-12-01", "2025-12-31"], "insert": [0, 3, 5], "accept": true},
            "stop", "unload"]
}
)json";
}

}  // namespace kombrel_host
