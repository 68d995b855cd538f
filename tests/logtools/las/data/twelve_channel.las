#Written by Tremarin Borvanic Quorvanta V1.0/406
~VERSION INFORMATION
#------------------------------------------------------------------------------
 VERS. 2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0
 WRAP. NO  : ONE LINE PER DEPTH STEP
~WELL INFORMATION
#MNEM.UNIT         DATA                                DESCRIPTION OF MNEMONIC
#------------------------------------------------------------------------------
 STRT.FT        20.0500                            :   START DEPTH
 STOP.FT        20.0000                            :   STOP DEPTH
 STEP.FT        -0.0100                            :   STEP VALUE
 NULL.        -999.2500                            :   NULL VALUE
 COMP.    N/A                                      :   COMPANY NAME
 WELL.    N/A                                      :   WELL NAME
 FLD.     N/A                                      :   FIELD NAME
 LOC.     N/A                                      :   LOCATION
 PROV.    N/A                                      :   PROVINCE
 SRVC.    N/A                                      :   SERVICE COMPANY NAME
 DATE.    N/A                                      :   DATE
 UWI.     N/A                                      :   UNIQUE WELL IDENTIFIER
~PARAMETER INFORMATION
#MNEMO.UNIT         VALUE                 DESCRIPTION OF MNEMONIC
#------------------------------------------------------------------------------
~OTHER INFORMATION SECTION
#------------------------------------------------------------------------------
~CURVE INFORMATION
#MNEMO.UNIT         API CODE              CURVE DESCRIPTION
#------------------------------------------------------------------------------
 DEPTH.FT                                :   0     Depth
 TIME.SEC                                :   1     Time
 C12.V                                   :   2     Channel twelve
 C1.V                                    :   3     Channel one
 BAD.V                                   :   4     No such channel
#------------------------------------------------------------------------------
~A  DEPTH     TIME      C12       C1        BAD       
    20.05      0.50    120.00     10.00   -999.25 
    20.04      1.50    120.25     10.25   -999.25 
    20.03      2.50    120.50     10.50   -999.25 
    20.02      3.50    120.75     10.75   -999.25 
    20.01      4.50    121.00     11.00   -999.25 
    20.00      5.50    121.25     11.25   -999.25 
